// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/GroupsRequest.h"
#include "cli/GroupsRules.h"
#include "pool/ProfileRecord.h"
#include "rounds/PairHistory.h"

#include <QString>

#include <set>
#include <vector>

// What Improve must meet besides the score, for `groups`: the rules
// (--rules, --no-rules, the pool's own file) and earlier partners (--avoid).
namespace quorvia::cli {

// --rules and --avoid take a value.
bool isConditionOption(const QString &arg);
// Takes the value of such an option; a usage message when it is unsound.
QString parseConditionOption(const QString &arg, const QString &value, GroupsRequest *request);
// What the options say together once all are read; empty when sound.
QString conditionUsageProblem(const GroupsRequest &request);

// Reads the rules and the pairs to avoid, checked against the pool and the
// people taking part before anything is written; a message when they cannot
// be used.
QString loadConditions(const GroupsRequest &request, const std::vector<ProfileRecord> &records,
                       const std::set<int> &takingPart, CliRules *rules, PairHistory *avoided);

// The report with the pairs that met before, on the line before the total.
QString withRepeatsLine(const QString &report, long long repeats);

} // namespace quorvia::cli
