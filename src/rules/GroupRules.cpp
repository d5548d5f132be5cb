// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/GroupRules.h"

#include "pool/TraitCatalogue.h"

namespace quorvia {

QString personName(const std::vector<ProfileRecord> &records, int recordNumber)
{
    if (recordNumber < 1 || std::size_t(recordNumber) > records.size())
        return QStringLiteral("record %1").arg(recordNumber);
    const ProfileRecord &r = records[std::size_t(recordNumber - 1)];
    const QString name = trimBlanks(trimmedField(r.FirstName) + QLatin1Char(' ') + trimmedField(r.LastName));
    return name.isEmpty() ? QStringLiteral("record %1").arg(recordNumber) : name;
}

QStringList currentNames(const GroupRule &rule, const std::vector<ProfileRecord> &records)
{
    QStringList names;
    for (const int number : rule.records)
        names << personName(records, number);
    return names;
}

GroupRule peopleRule(RuleKind kind, std::vector<int> records, const std::vector<ProfileRecord> &pool)
{
    GroupRule rule;
    rule.kind = kind;
    rule.records = std::move(records);
    rule.names = currentNames(rule, pool);
    return rule;
}

QString staleReason(const GroupRule &rule, const std::vector<ProfileRecord> &records)
{
    for (std::size_t i = 0; i < rule.records.size(); ++i) {
        const int number = rule.records[i];
        if (number < 1 || std::size_t(number) > records.size())
            return QStringLiteral("record %1 is not in the pool").arg(number);
        if (records[std::size_t(number - 1)].HasData == 0)
            return QStringLiteral("record %1 holds nobody").arg(number);
        if (i < std::size_t(rule.names.size()) && rule.names.at(qsizetype(i)) != personName(records, number))
            return QStringLiteral("record %1 no longer holds %2").arg(number).arg(rule.names.at(qsizetype(i)));
    }
    return QString();
}

QString positionKey(const ProfileRecord &record)
{
    return trimmedField(record.Position).trimmed().toCaseFolded();
}

bool hasTrait(const ProfileRecord &record, int trait)
{
    return trait >= 0 && trait < kTraitCount && isSet(record.OwnAttributes[std::size_t(trait)]);
}

QString joinedNames(const QStringList &names)
{
    if (names.size() <= 1)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
}

namespace {

QString traitName(int trait)
{
    return trait >= 0 && trait < kTraitCount ? traitCatalogue().at(trait) : QStringLiteral("trait %1").arg(trait + 1);
}

} // namespace

QString ruleText(const GroupRule &rule, const std::vector<ProfileRecord> &records)
{
    switch (rule.kind) {
    case RuleKind::KeepApart:
        return QStringLiteral("Keep %1 apart").arg(joinedNames(currentNames(rule, records)));
    case RuleKind::KeepTogether:
        return QStringLiteral("Keep %1 together").arg(joinedNames(currentNames(rule, records)));
    case RuleKind::Spread:
        return QStringLiteral("Spread %1 over the groups").arg(traitName(rule.trait));
    case RuleKind::NotAlone:
        return QStringLiteral("Never one %1 alone in a group").arg(traitName(rule.trait));
    case RuleKind::MixPositions:
        return QStringLiteral("Mix positions over the groups");
    }
    return QString();
}

QString liftWeakestText() { return QStringLiteral("Lift the weakest group"); }

int removeRecordFromRules(RuleSet *rules, int recordNumber)
{
    int changed = 0;
    std::vector<GroupRule> kept;
    for (GroupRule rule : rules->rules) {
        if (!rule.namesPeople()) {
            kept.push_back(rule);
            continue;
        }
        bool named = false;
        GroupRule renumbered = rule;
        renumbered.records.clear();
        renumbered.names.clear();
        for (std::size_t i = 0; i < rule.records.size(); ++i) {
            const int number = rule.records[i];
            if (number == recordNumber) {
                named = true;
                continue;
            }
            renumbered.records.push_back(number > recordNumber ? number - 1 : number);
            if (i < std::size_t(rule.names.size()))
                renumbered.names << rule.names.at(qsizetype(i));
        }
        if (renumbered.names.size() != qsizetype(renumbered.records.size()))
            renumbered.names.clear();
        changed += named ? 1 : 0;
        if (renumbered.records.size() >= 2)
            kept.push_back(renumbered);
    }
    rules->rules = kept;
    return changed;
}

} // namespace quorvia
