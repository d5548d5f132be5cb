// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "rules/RulesFile.h"

#include <QString>

#include <set>
#include <vector>

namespace quorvia::cli {

// The rules a groups command works with, and where they came from.
struct CliRules {
    QString path;        // empty: no rules
    bool given = false;  // named with --rules rather than the pool's own file
    RulesText parsed;
};

// Reads the rules: `given` names a file (--rules), else the pool's own file
// when there is one. Returns a message when the file is missing (only when
// named), unreadable or damaged.
QString loadCliRules(const QString &given, const QString &poolPath, CliRules *rules);

// In a file named with --rules, a rule naming a record outside the pool, one
// not among the people taking part, or one that has been given to someone
// else since the rule was written: the message names the line. (The pool's
// own file is checked against the groups instead: such rules show as broken.)
QString rulesPoolProblem(const CliRules &rules, const std::vector<ProfileRecord> &records,
                         const std::set<int> &takingPart);

// A rule that these groups can never meet: the message names the line.
QString rulesGroupsProblem(const CliRules &rules, const GroupTable &groups, const std::vector<ProfileRecord> &records,
                           const std::vector<int> &slotRecords, const std::vector<bool> &lockedSlots);

// "rule<TAB>TEXT<TAB>met" or "rule<TAB>TEXT<TAB>broken<TAB>DETAIL", one line per rule in force.
QString ruleReportLines(const CliRules &rules, const GroupTable &groups, const std::vector<ProfileRecord> &records,
                        const std::vector<int> &slotRecords);

} // namespace quorvia::cli
