// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quorvia {

class GroupArrangement;

// Improve over the arrangement's current groups, honouring its pins: the
// search runs on a worker thread behind a progress dialog with Cancel (which
// keeps the best groups found so far); the windows keep painting meanwhile.
// A better result becomes one undoable step. Returns what happened, for the
// status bar.
QString improveArrangement(QWidget *parent, GroupArrangement &arrangement, bool evenSizes);

} // namespace quorvia
