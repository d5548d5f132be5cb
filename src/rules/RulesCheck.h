// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "rules/GroupRules.h"

#include <QString>

#include <vector>

namespace quorvia {

// How one rule in force fares in a grouping.
struct RuleStatus {
    int rule = -1;   // index into RuleSet::rules
    QString text;    // plain words with the grouping's figures: "Spread Expert: 0 or 1 in every group"
    bool met = true;
    QString detail;  // where it is broken: "group 4 has 0, group 7 has 3"
    std::vector<int> breakers;  // the slots of the people who break it
    std::vector<int> groups;    // the groups where it is broken
};

// Every rule in force (enabled) checked against the groups. `slotRecords` is
// the record number of every slot (recordNumbersOf); people of a rule who are
// not in the groups are left out of it. A rule naming a record that now
// holds someone else is broken and says so.
std::vector<RuleStatus> checkRules(const RuleSet &rules, const GroupTable &groups,
                                   const std::vector<ProfileRecord> &records, const std::vector<int> &slotRecords);

// "rules: 7 of 8 met"; empty when there are none.
QString rulesSummary(const std::vector<RuleStatus> &statuses);

// A rule that no grouping of these groups can meet, and why.
struct RuleProblem {
    int rule = -1;
    QString reason;
};

// The rules in force that cannot be met in groups of this shape with these
// people, pins (slots Improve must leave, may be empty) and the other rules:
// more people kept apart than groups, more kept together than a group holds,
// people both apart and together, pins that contradict a rule, a trait one
// person alone has that may never be alone, more holders of a spread trait
// kept together than a group may hold.
std::vector<RuleProblem> infeasibleRules(const RuleSet &rules, const GroupTable &groups,
                                         const std::vector<ProfileRecord> &records,
                                         const std::vector<int> &slotRecords, const std::vector<bool> &lockedSlots);

} // namespace quorvia
