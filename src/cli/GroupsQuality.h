// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <QString>

#include <vector>

namespace quorvia {
class ImprovePenalty;
}

namespace quorvia::cli {

// The groups after Improve, with even sizes when asked; the people whose
// records are in `kept` stay in the slots Calculate gave them. A penalty
// (the rules) is met before the score.
GroupTable improvedGroups(const GroupTable &groups, bool even, const std::vector<ProfileRecord> &kept,
                          ImprovePenalty *penalty = nullptr, bool liftWeakest = false);

// One line per group, "group<TAB>people<TAB>score<TAB>conflicts", then
// "total<TAB>people<TAB>score<TAB>conflicts<TAB>bound<TAB>percent", the bound
// being the proven best possible total for the people and the slots.
QString qualityReportText(const GroupTable &groups);

} // namespace quorvia::cli
