// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/PoolRules.h"

#include "grouping/RecordNumbers.h"
#include "pool/PoolLock.h"
#include "rules/RulesFile.h"

#include <QFileInfo>

namespace quorvia {

PoolRules::PoolRules(QObject *parent) : QObject(parent) {}

void PoolRules::setPool(const QString &poolPath, const std::vector<ProfileRecord> &records)
{
    records_ = records;
    const QString canonical = QFileInfo(poolPath).absoluteFilePath();
    if (canonical != poolPath_) {
        poolPath_ = canonical;
        rules_ = RuleSet();
        loadProblem_.clear();
        RulesText parsed;
        if (loadRulesFile(rulesPathFor(poolPath_), &parsed, &loadProblem_) == RulesLoad::Loaded)
            rules_ = parsed.rules;
    }
    emit changed();
}

bool PoolRules::hasRulesInForce() const
{
    if (rules_.liftWeakest)
        return true;
    for (const GroupRule &rule : rules_.rules) {
        if (rule.enabled)
            return true;
    }
    return false;
}

void PoolRules::setReadOnly(bool readOnly)
{
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    emit changed();
}

bool PoolRules::setRules(const RuleSet &rules, QString *error)
{
    if (readOnly_) {
        *error = readOnlyRefusal(poolPath_, tr("The rules are as they were."));
        return false;
    }
    QString reason;
    if (!saveRulesFile(rulesPathFor(poolPath_), rules, records_, &reason)) {
        *error = tr("Could not write the rules to \"%1\": %2. The rules are as they were.")
                     .arg(rulesPathFor(poolPath_), reason);
        return false;
    }
    rules_ = rules;
    loadProblem_.clear();
    emit changed();
    return true;
}

QString PoolRules::removeRecord(int number)
{
    RuleSet renumbered = rules_;
    const int named = removeRecordFromRules(&renumbered, number);
    if (renumbered == rules_)
        return QString();
    // Stored names that were right before the deletion stay right after it.
    QString error;
    if (!setRules(renumbered, &error))
        return error;
    return named == 0 ? tr("The rules now count the later records one lower.")
        : named == 1  ? tr("Took them out of 1 rule; the rules now count the later records one lower.")
                      : tr("Took them out of %1 rules; the rules now count the later records one lower.").arg(named);
}

std::vector<int> PoolRules::slotRecordsOf(const GroupTable &groups) const
{
    std::vector<int> everybody(records_.size());
    for (std::size_t i = 0; i < everybody.size(); ++i)
        everybody[i] = int(i + 1);
    return recordNumbersOf(groups, records_, everybody);
}

std::vector<RuleStatus> PoolRules::check(const GroupTable &groups) const
{
    if (rules_.rules.empty())
        return {};
    return checkRules(rules_, groups, records_, slotRecordsOf(groups));
}

std::vector<RuleProblem> PoolRules::problems(const GroupTable &groups, const std::vector<bool> &lockedSlots) const
{
    if (rules_.rules.empty())
        return {};
    return infeasibleRules(rules_, groups, records_, slotRecordsOf(groups), lockedSlots);
}

std::unique_ptr<RulesPenalty> PoolRules::penaltyFor(const GroupTable &groups) const
{
    if (rules_.rules.empty())
        return nullptr;
    auto penalty = std::make_unique<RulesPenalty>(rules_, groups, records_, slotRecordsOf(groups));
    if (penalty->isEmpty())
        return nullptr;
    return penalty;
}

} // namespace quorvia
