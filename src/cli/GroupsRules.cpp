// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/GroupsRules.h"

#include "cli/CliSupport.h"
#include "rules/RulesCheck.h"

#include <QDir>

namespace quorvia::cli {
namespace {

QString atLine(const CliRules &rules, int rule, const QString &message)
{
    return QStringLiteral("rules file \"%1\", line %2: %3")
        .arg(QDir::toNativeSeparators(rules.path))
        .arg(rules.parsed.lines[std::size_t(rule)])
        .arg(message);
}

} // namespace

QString loadCliRules(const QString &given, const QString &poolPath, CliRules *rules)
{
    rules->given = !given.isEmpty();
    const QString path = rules->given ? given : rulesPathFor(poolPath);
    QString message;
    switch (loadRulesFile(path, &rules->parsed, &message)) {
    case RulesLoad::Missing:
        if (rules->given)
            return QStringLiteral("the rules file \"%1\" does not exist").arg(QDir::toNativeSeparators(path));
        return QString();
    case RulesLoad::Loaded:
        rules->path = path;
        return QString();
    case RulesLoad::Damaged:
    case RulesLoad::Unreadable:
        break;
    }
    return message;
}

QString rulesPoolProblem(const CliRules &rules, const std::vector<ProfileRecord> &records,
                         const std::set<int> &takingPart)
{
    // The pool's own rules follow the pool: a stale rule there is reported as broken, not refused.
    if (!rules.given)
        return QString();
    const std::vector<GroupRule> &list = rules.parsed.rules.rules;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list[i].enabled || !list[i].namesPeople())
            continue;
        for (const int number : list[i].records) {
            if (std::size_t(number) > records.size())
                return atLine(rules, int(i), QStringLiteral("record %1 is outside the pool (%2 records)")
                                                 .arg(number)
                                                 .arg(records.size()));
            if (!takingPart.count(number))
                return atLine(rules, int(i), QStringLiteral("record %1 is not among the people selected").arg(number));
        }
        const QString stale = staleReason(list[i], records);
        if (!stale.isEmpty())
            return atLine(rules, int(i), stale);
    }
    return QString();
}

QString rulesGroupsProblem(const CliRules &rules, const GroupTable &groups, const std::vector<ProfileRecord> &records,
                           const std::vector<int> &slotRecords, const std::vector<bool> &lockedSlots)
{
    const RuleSet &set = rules.parsed.rules;
    const std::vector<RuleProblem> problems = infeasibleRules(set, groups, records, slotRecords, lockedSlots);
    if (problems.empty())
        return QString();
    const RuleProblem &first = problems.front();
    return atLine(rules, first.rule, QStringLiteral("\"%1\" can never be met: %2")
                                         .arg(ruleText(set.rules[std::size_t(first.rule)], records), first.reason));
}

QString ruleReportLines(const CliRules &rules, const GroupTable &groups, const std::vector<ProfileRecord> &records,
                        const std::vector<int> &slotRecords)
{
    QString text;
    for (const RuleStatus &status : checkRules(rules.parsed.rules, groups, records, slotRecords)) {
        text += QStringLiteral("rule\t") + escapeControls(status.text)
            + (status.met ? QStringLiteral("\tmet\n")
                          : QStringLiteral("\tbroken\t") + escapeControls(status.detail) + QLatin1Char('\n'));
    }
    return text;
}

} // namespace quorvia::cli
