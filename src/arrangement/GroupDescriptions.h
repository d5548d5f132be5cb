#pragma once

#include "grouping/GroupTable.h"
#include "pool/PoolListing.h"  // personName: how steps and explanations name people
#include "pool/ProfileRecord.h"

#include <QString>
#include <QStringList>

namespace quorvia {

// A signed score as the read-outs show it: "+3", "0", "\u22122".
QString signedScore(long long score);

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
