// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesCheck.h"

#include "pool/TraitCatalogue.h"

#include <QMap>

#include <map>
#include <numeric>

namespace quorvia {
namespace {

// Details past this many groups end in "and N more": a line stays readable.
constexpr int kGroupsShown = 6;

QString groupList(const QStringList &parts)
{
    if (parts.size() <= kGroupsShown)
        return parts.join(QStringLiteral(", "));
    return parts.mid(0, kGroupsShown).join(QStringLiteral(", "))
        + QStringLiteral(" and %1 more").arg(parts.size() - kGroupsShown);
}

QString peopleWord(int count) { return count == 1 ? QStringLiteral("1 person") : QStringLiteral("%1 people").arg(count); }

// The slots of the people who hold the rule's records, in slot order.
std::vector<int> slotsOfRecords(const GroupRule &rule, const std::vector<int> &slotRecords)
{
    std::vector<int> held;
    for (std::size_t s = 0; s < slotRecords.size(); ++s) {
        if (slotRecords[s] == 0)
            continue;
        for (const int number : rule.records) {
            if (slotRecords[s] == number)
                held.push_back(int(s));
        }
    }
    return held;
}

struct Spread {
    int lo = 0;
    int hi = 0;
    QStringList offending;  // "group 4 has 0"
    std::vector<int> groups;
    std::vector<int> breakers;  // people in groups above the range
};

// Counts the marked slots per group against floor(k/g)..ceil(k/g).
Spread spreadOf(const GroupTable &groups, const std::vector<char> &marked)
{
    Spread spread;
    const int g = groups.NumGroups;
    std::vector<int> counts(std::size_t(std::max(g, 0)), 0);
    int k = 0;
    for (std::size_t s = 0; s < marked.size(); ++s) {
        if (marked[s]) {
            ++counts[s / std::size_t(groups.GroupSize)];
            ++k;
        }
    }
    if (g <= 0)
        return spread;
    spread.lo = k / g;
    spread.hi = (k + g - 1) / g;
    for (int group = 0; group < g; ++group) {
        const int c = counts[std::size_t(group)];
        if (c < spread.lo || c > spread.hi) {
            spread.offending << QStringLiteral("group %1 has %2").arg(group + 1).arg(c);
            spread.groups.push_back(group);
        }
        if (c > spread.hi) {
            for (int slot = 0; slot < groups.GroupSize; ++slot) {
                if (marked[std::size_t(group * groups.GroupSize + slot)])
                    spread.breakers.push_back(group * groups.GroupSize + slot);
            }
        }
    }
    return spread;
}

QString rangeWords(const Spread &spread)
{
    return spread.lo == spread.hi ? QStringLiteral("%1 in every group").arg(spread.lo)
                                  : QStringLiteral("%1 or %2 in every group").arg(spread.lo).arg(spread.hi);
}

std::vector<char> traitMarks(const GroupTable &groups, int trait)
{
    std::vector<char> marked(groups.slotRecords.size(), 0);
    for (std::size_t s = 0; s < marked.size(); ++s)
        marked[s] = isPerson(groups.slotRecords[s]) && hasTrait(groups.slotRecords[s], trait);
    return marked;
}

void checkPeople(const GroupRule &rule, const GroupTable &groups, const std::vector<ProfileRecord> &records,
                 const std::vector<int> &slotRecords, RuleStatus *status)
{
    std::map<int, QStringList> namesByGroup;
    std::map<int, std::vector<int>> slotsByGroup;
    for (const int slot : slotsOfRecords(rule, slotRecords)) {
        const int group = slot / groups.GroupSize;
        namesByGroup[group] << personName(records, slotRecords[std::size_t(slot)]);
        slotsByGroup[group].push_back(slot);
    }
    QStringList parts;
    if (rule.kind == RuleKind::KeepApart) {
        for (const auto &[group, names] : namesByGroup) {
            if (names.size() < 2)
                continue;
            parts << QStringLiteral("%1 are %2in group %3")
                         .arg(joinedNames(names), names.size() == 2 ? QStringLiteral("both ") : QString())
                         .arg(group + 1);
            status->breakers.insert(status->breakers.end(), slotsByGroup[group].begin(), slotsByGroup[group].end());
            status->groups.push_back(group);
        }
    } else if (namesByGroup.size() > 1) {
        for (const auto &[group, names] : namesByGroup) {
            parts << QStringLiteral("%1 in group %2").arg(joinedNames(names)).arg(group + 1);
            status->breakers.insert(status->breakers.end(), slotsByGroup[group].begin(), slotsByGroup[group].end());
            status->groups.push_back(group);
        }
    }
    status->met = parts.isEmpty();
    status->detail = parts.join(QStringLiteral("; "));
}

} // namespace

std::vector<RuleStatus> checkRules(const RuleSet &rules, const GroupTable &groups,
                                   const std::vector<ProfileRecord> &records, const std::vector<int> &slotRecords)
{
    std::vector<RuleStatus> statuses;
    if (groups.NumGroups <= 0 || groups.GroupSize <= 0)
        return statuses;
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const GroupRule &rule = rules.rules[i];
        if (!rule.enabled)
            continue;
        RuleStatus status;
        status.rule = int(i);
        status.text = ruleText(rule, records);
        if (rule.namesPeople()) {
            const QString stale = staleReason(rule, records);
            if (!stale.isEmpty()) {
                // Named after the people the rule was made for, not whoever holds the records now.
                if (rule.names.size() == qsizetype(rule.records.size()))
                    status.text = QStringLiteral("Keep %1 %2")
                                      .arg(joinedNames(rule.names),
                                           rule.kind == RuleKind::KeepApart ? QStringLiteral("apart")
                                                                            : QStringLiteral("together"));
                status.met = false;
                status.detail = stale;
            } else {
                checkPeople(rule, groups, records, slotRecords, &status);
            }
        } else if (rule.kind == RuleKind::Spread || rule.kind == RuleKind::NotAlone) {
            const QString trait = traitCatalogue().value(rule.trait);
            const std::vector<char> marked = traitMarks(groups, rule.trait);
            if (rule.kind == RuleKind::Spread) {
                const Spread spread = spreadOf(groups, marked);
                status.text = QStringLiteral("Spread %1: %2").arg(trait, rangeWords(spread));
                status.met = spread.offending.isEmpty();
                status.detail = groupList(spread.offending);
                status.breakers = spread.breakers;
                status.groups = spread.groups;
            } else {
                QStringList alone;
                for (int group = 0; group < groups.NumGroups; ++group) {
                    int count = 0;
                    int last = -1;
                    for (int slot = 0; slot < groups.GroupSize; ++slot) {
                        if (marked[std::size_t(group * groups.GroupSize + slot)]) {
                            ++count;
                            last = group * groups.GroupSize + slot;
                        }
                    }
                    if (count == 1) {
                        alone << QStringLiteral("group %1").arg(group + 1);
                        status.breakers.push_back(last);
                        status.groups.push_back(group);
                    }
                }
                status.met = alone.isEmpty();
                status.detail = alone.isEmpty() ? QString()
                                                : QStringLiteral("alone in %1").arg(groupList(alone));
            }
        } else {
            QMap<QString, std::vector<char>> byPosition;
            for (std::size_t s = 0; s < groups.slotRecords.size(); ++s) {
                const QString key = isPerson(groups.slotRecords[s]) ? positionKey(groups.slotRecords[s]) : QString();
                if (key.isEmpty())
                    continue;
                auto &marked = byPosition[key];
                if (marked.empty())
                    marked.assign(groups.slotRecords.size(), 0);
                marked[s] = 1;
            }
            QStringList parts;
            for (auto it = byPosition.cbegin(); it != byPosition.cend(); ++it) {
                const Spread spread = spreadOf(groups, it.value());
                if (spread.offending.isEmpty())
                    continue;
                // The position as one of its people writes it.
                QString shown = it.key();
                for (std::size_t s = 0; s < it.value().size(); ++s) {
                    if (it.value()[s]) {
                        shown = trimmedField(groups.slotRecords[s].Position);
                        break;
                    }
                }
                parts << QStringLiteral("%1: %2").arg(shown, groupList(spread.offending));
                status.breakers.insert(status.breakers.end(), spread.breakers.begin(), spread.breakers.end());
                status.groups.insert(status.groups.end(), spread.groups.begin(), spread.groups.end());
            }
            status.met = parts.isEmpty();
            status.detail = parts.size() <= 3 ? parts.join(QStringLiteral("; "))
                                              : parts.mid(0, 3).join(QStringLiteral("; "))
                                                    + QStringLiteral("; %1 more positions").arg(parts.size() - 3);
        }
        statuses.push_back(status);
    }
    return statuses;
}

QString rulesSummary(const std::vector<RuleStatus> &statuses)
{
    if (statuses.empty())
        return QString();
    const auto met = std::count_if(statuses.begin(), statuses.end(), [](const RuleStatus &s) { return s.met; });
    return QStringLiteral("rules: %1 of %2 met").arg(met).arg(statuses.size());
}

std::vector<RuleProblem> infeasibleRules(const RuleSet &rules, const GroupTable &groups,
                                         const std::vector<ProfileRecord> &records,
                                         const std::vector<int> &slotRecords, const std::vector<bool> &lockedSlots)
{
    std::vector<RuleProblem> problems;
    if (groups.NumGroups <= 0 || groups.GroupSize <= 0)
        return problems;
    const auto locked = [&](int slot) { return std::size_t(slot) < lockedSlots.size() && lockedSlots[std::size_t(slot)]; };
    const auto groupOf = [&](int slot) { return slot / groups.GroupSize; };

    // People kept together, joined over every rule: their slots, by union-find.
    std::vector<int> parent(slotRecords.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto find = [&](int s) {
        while (parent[std::size_t(s)] != s)
            s = parent[std::size_t(s)] = parent[std::size_t(parent[std::size_t(s)])];
        return s;
    };
    for (const GroupRule &rule : rules.rules) {
        if (!rule.enabled || rule.kind != RuleKind::KeepTogether || !staleReason(rule, records).isEmpty())
            continue;
        const std::vector<int> held = slotsOfRecords(rule, slotRecords);
        for (std::size_t i = 1; i < held.size(); ++i)
            parent[std::size_t(find(held[i]))] = find(held[0]);
    }
    std::map<int, int> unionSize;
    for (std::size_t s = 0; s < slotRecords.size(); ++s)
        ++unionSize[find(int(s))];

    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const GroupRule &rule = rules.rules[i];
        if (!rule.enabled)
            continue;
        const auto add = [&](const QString &reason) { problems.push_back({int(i), reason}); };
        if (rule.namesPeople()) {
            if (!staleReason(rule, records).isEmpty())
                continue;  // shown as broken by the check, never applied
            const std::vector<int> held = slotsOfRecords(rule, slotRecords);
            const int n = int(held.size());
            if (rule.kind == RuleKind::KeepApart) {
                if (n > groups.NumGroups) {
                    add(QStringLiteral("%1 cannot be kept apart in %2").arg(peopleWord(n))
                            .arg(groups.NumGroups == 1 ? QStringLiteral("1 group")
                                                       : QStringLiteral("%1 groups").arg(groups.NumGroups)));
                    continue;
                }
                bool reported = false;
                for (int a = 0; a < n && !reported; ++a) {
                    for (int b = a + 1; b < n && !reported; ++b) {
                        const QString pair = joinedNames({personName(records, slotRecords[std::size_t(held[std::size_t(a)])]),
                                                          personName(records, slotRecords[std::size_t(held[std::size_t(b)])])});
                        if (find(held[std::size_t(a)]) == find(held[std::size_t(b)])) {
                            add(QStringLiteral("%1 are also to be kept together").arg(pair));
                            reported = true;
                        } else if (locked(held[std::size_t(a)]) && locked(held[std::size_t(b)])
                                   && groupOf(held[std::size_t(a)]) == groupOf(held[std::size_t(b)])) {
                            add(QStringLiteral("%1 are both pinned to group %2").arg(pair).arg(groupOf(held[std::size_t(a)]) + 1));
                            reported = true;
                        }
                    }
                }
            } else if (n > 0) {
                const int together = unionSize[find(held[0])];
                if (together > groups.GroupSize) {
                    add(QStringLiteral("%1 cannot be together in groups of %2")
                            .arg(peopleWord(together))
                            .arg(groups.GroupSize));
                    continue;
                }
                int pinnedGroup = -1;
                for (const int slot : held) {
                    if (!locked(slot))
                        continue;
                    if (pinnedGroup >= 0 && pinnedGroup != groupOf(slot)) {
                        add(QStringLiteral("they are pinned to groups %1 and %2").arg(pinnedGroup + 1).arg(groupOf(slot) + 1));
                        break;
                    }
                    pinnedGroup = groupOf(slot);
                }
            }
        } else if (rule.kind == RuleKind::NotAlone) {
            const std::vector<char> marked = traitMarks(groups, rule.trait);
            if (std::count(marked.begin(), marked.end(), 1) == 1)
                add(QStringLiteral("only one person in the groups is %1").arg(traitCatalogue().value(rule.trait)));
        } else if (rule.kind == RuleKind::Spread) {
            std::vector<char> marked = traitMarks(groups, rule.trait);
            const Spread spread = spreadOf(groups, marked);
            for (std::size_t s = 0; s < marked.size(); ++s)
                marked[s] = marked[s] && locked(int(s));
            std::vector<int> pinned(std::size_t(groups.NumGroups), 0);
            for (std::size_t s = 0; s < marked.size(); ++s)
                pinned[s / std::size_t(groups.GroupSize)] += marked[s];
            bool reported = false;
            for (int group = 0; group < groups.NumGroups && !reported; ++group) {
                if (pinned[std::size_t(group)] > spread.hi) {
                    add(QStringLiteral("group %1 has %2 pinned, more than %3")
                            .arg(group + 1)
                            .arg(peopleWord(pinned[std::size_t(group)]))
                            .arg(spread.hi));
                    reported = true;
                }
            }
            // People kept together share one group, so they count there together.
            const std::vector<char> holders = traitMarks(groups, rule.trait);
            std::map<int, QStringList> heldTogether;
            for (std::size_t s = 0; s < holders.size() && s < slotRecords.size(); ++s) {
                if (holders[s] && unionSize[find(int(s))] > 1)
                    heldTogether[find(int(s))] << personName(records, slotRecords[s]);
            }
            for (auto it = heldTogether.cbegin(); it != heldTogether.cend() && !reported; ++it) {
                if (it->second.size() > spread.hi) {
                    add(QStringLiteral("%1 are to be kept together: %2 in one group, more than %3")
                            .arg(joinedNames(it->second))
                            .arg(peopleWord(int(it->second.size())))
                            .arg(spread.hi));
                    reported = true;
                }
            }
        }
    }
    return problems;
}

} // namespace quorvia
