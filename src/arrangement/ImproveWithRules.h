// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quorvia {

class GroupArrangement;

// Improve as improveArrangement runs it, with what the pool's rules make of
// it: first the rules no grouping can meet and why, then how many are met.
QString improveWithRules(QWidget *parent, GroupArrangement &arrangement, bool evenSizes);

} // namespace quorvia
