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
// records are in `kept` stay in the slots Calculate gave them.
// `penalty`, when given, is a condition met before score (built for `groups`).
GroupTable improvedGroups(const GroupTable &groups, bool even, const std::vector<ProfileRecord> &kept,
                          ImprovePenalty *penalty = nullptr);

// One line per group, "group<TAB>people<TAB>score<TAB>conflicts", then
// "total<TAB>people<TAB>score<TAB>conflicts<TAB>bound<TAB>percent".
QString qualityReportText(const GroupTable &groups);

} // namespace quorvia::cli
