// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvia {

enum class RuleKind {
    KeepApart,     // the named people never share a group
    KeepTogether,  // the named people share one group
    Spread,        // holders of a trait: floor(k/g) or ceil(k/g) in every group
    NotAlone,      // no group holds exactly one holder of a trait
    MixPositions,  // every position spread like Spread, each on its own
};

// One rule over the pool's people (record numbers from 1) or over a trait.
struct GroupRule {
    RuleKind kind = RuleKind::KeepApart;
    std::vector<int> records;  // KeepApart, KeepTogether: at least two, distinct
    // The names those records held when the rule was written, one per record
    // (empty: not known). A record whose name differs has been given to
    // someone else since, and the rule is then never applied to them.
    QStringList names;
    int trait = -1;  // Spread, NotAlone: index into the trait catalogue
    bool enabled = true;

    bool namesPeople() const { return kind == RuleKind::KeepApart || kind == RuleKind::KeepTogether; }
    bool operator==(const GroupRule &other) const
    {
        return kind == other.kind && records == other.records && names == other.names && trait == other.trait
            && enabled == other.enabled;
    }
};

// The rules of one pool, and the switch that prefers a stronger weakest group.
struct RuleSet {
    std::vector<GroupRule> rules;
    bool liftWeakest = false;

    bool isEmpty() const { return rules.empty() && !liftWeakest; }
    bool operator==(const RuleSet &other) const
    {
        return rules == other.rules && liftWeakest == other.liftWeakest;
    }
    bool operator!=(const RuleSet &other) const { return !(*this == other); }
};

// "Ann Lee"; "record 7" for a record without names.
QString personName(const std::vector<ProfileRecord> &records, int recordNumber);
// The names of the rule's records as the pool holds them now.
QStringList currentNames(const GroupRule &rule, const std::vector<ProfileRecord> &records);
// A rule for records with the names they hold now.
GroupRule peopleRule(RuleKind kind, std::vector<int> records, const std::vector<ProfileRecord> &pool);

// Why the rule may not be applied to this pool: a record outside it, or one
// that holds someone else than when the rule was written. Empty when sound.
QString staleReason(const GroupRule &rule, const std::vector<ProfileRecord> &records);

// Position as compared by MixPositions: trimmed, case folded; empty: none.
QString positionKey(const ProfileRecord &record);
bool hasTrait(const ProfileRecord &record, int trait);

// "Ann Lee and Bo Chen", "Ann Lee, Bo Chen and Cy Dee".
QString joinedNames(const QStringList &names);

// The rule in plain words without knowing the groups:
// "Keep Ann Lee and Bo Chen apart", "Spread Expert over the groups".
QString ruleText(const GroupRule &rule, const std::vector<ProfileRecord> &records);
QString liftWeakestText();

// A person was deleted from the pool: they leave every rule and the later
// records move down by one. A rule left with fewer than two people goes.
// Returns how many rules named the person (dropped ones included).
int removeRecordFromRules(RuleSet *rules, int recordNumber);

} // namespace quorvia
