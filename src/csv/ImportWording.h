// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quorvia {

// How import problems show what the file holds.

// A value as a message shows it: cut after 80 characters (a field of
// megabytes must not make a message of megabytes), control and
// line-separating characters written as escapes so that every message stays
// on one line.
QString escaped(const QString &text);
// The same in double quotes.
QString quoted(const QString &text);

// The catalogue's trait closest to an unknown name, for "did you mean", or
// an empty text when none is close.
QString closestTrait(const QString &unknown);

} // namespace quorvia
