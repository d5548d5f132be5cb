// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/BestPossible.h"
#include "grouping/GroupTable.h"
#include "pool/PoolListing.h"  // personName: how steps and explanations name people
#include "pool/ProfileRecord.h"

#include <QString>
#include <QStringList>

namespace quorvia {

// A signed score as the read-outs show it: "+3", "0", "\u22122".
QString signedScore(long long score);

// How a total compares with the best possible: "best possible" when it
// reaches the proven bound, "at least 87% of the best possible" otherwise
// (rounded down, so that it stays true), "best possible: computing..." while
// the bound is not ready (null).
QString bestPossibleWords(long long score, const BestPossible *best);
// What the words rest on, for a tooltip.
QString bestPossibleToolTip(long long score, const BestPossible *best);

// The conflicts of one group, each as "Ann Lee and Bob Smith: −2" followed by
// its explanation lines indented. Huge groups are looked at only up to
// `maxConflicts` conflicts (and a bounded amount of work); a last line says
// when more were left out.
QStringList groupConflictLines(const GroupTable &groups, int group, int maxConflicts = 12);

// The tooltip of one person: their score with the group, against each other
// member (a bounded number of lines), and the explanation of each conflict.
QString personToolTip(const GroupTable &groups, int group, int slot);

// Whether the person in the slot scores below 0 against another member.
bool hasConflict(const GroupTable &groups, int group, int slot);

} // namespace quorvia
