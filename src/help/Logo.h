// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quorvia {

constexpr int kLogoWidth = 200;
constexpr int kLogoHeight = 22;

// The product logo of the about box: 200 x 22 pixels, drawn by the program.
QPixmap quorviaLogo();

// The program's icon, the logo's emblem in the usual icon sizes.
QIcon quorviaIcon();

} // namespace quorvia
