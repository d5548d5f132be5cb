// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesPenalty.h"

#include <QHash>

#include <algorithm>

namespace quorvia {

RulesPenalty::RulesPenalty(const RuleSet &rules, const GroupTable &start, const std::vector<ProfileRecord> &records,
                           const std::vector<int> &slotRecords)
{
    const int held = int(start.slotRecords.size());
    numGroups_ = start.NumGroups;
    conditionsOf_.assign(std::size_t(held), {});
    const auto present = [&](int s) { return isPerson(start.slotRecords[std::size_t(s)]); };
    const auto addRange = [&](int rule, std::vector<int> members) {
        if (members.empty() || numGroups_ <= 0)
            return;
        Condition c;
        c.shape = Shape::Range;
        c.rule = rule;
        const int k = int(members.size());
        c.lo = k / numGroups_;
        c.hi = (k + numGroups_ - 1) / numGroups_;
        c.members = std::move(members);
        conditions_.push_back(std::move(c));
    };

    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const GroupRule &rule = rules.rules[i];
        if (!rule.enabled)
            continue;
        const int index = int(i);
        if (rule.namesPeople()) {
            if (!staleReason(rule, records).isEmpty())
                continue;
            Condition c;
            c.shape = rule.kind == RuleKind::KeepApart ? Shape::Apart : Shape::Together;
            c.rule = index;
            for (int s = 0; s < held; ++s) {
                if (present(s) && slotRecords[std::size_t(s)] != 0
                    && std::find(rule.records.begin(), rule.records.end(), slotRecords[std::size_t(s)])
                        != rule.records.end())
                    c.members.push_back(s);
            }
            if (c.members.size() >= 2)
                conditions_.push_back(std::move(c));
        } else if (rule.kind == RuleKind::Spread || rule.kind == RuleKind::NotAlone) {
            std::vector<int> members;
            for (int s = 0; s < held; ++s) {
                if (present(s) && hasTrait(start.slotRecords[std::size_t(s)], rule.trait))
                    members.push_back(s);
            }
            if (rule.kind == RuleKind::Spread) {
                addRange(index, std::move(members));
            } else if (!members.empty()) {
                Condition c;
                c.shape = Shape::NotAlone;
                c.rule = index;
                c.members = std::move(members);
                conditions_.push_back(std::move(c));
            }
        } else {
            QHash<QString, std::vector<int>> byPosition;
            std::vector<QString> order;
            for (int s = 0; s < held; ++s) {
                if (!present(s))
                    continue;
                const QString key = positionKey(start.slotRecords[std::size_t(s)]);
                if (key.isEmpty())
                    continue;
                auto &members = byPosition[key];
                if (members.empty())
                    order.push_back(key);
                members.push_back(s);
            }
            for (const QString &key : order) {
                // One holder of a position can never be uneven.
                if (byPosition[key].size() >= 2)
                    addRange(index, byPosition[key]);
            }
        }
    }
    for (std::size_t c = 0; c < conditions_.size(); ++c) {
        for (const int p : conditions_[c].members)
            conditionsOf_[std::size_t(p)].push_back(int(c));
    }
}

int RulesPenalty::countIn(const Condition &c, int group) const
{
    if (!c.dense.empty())
        return c.dense[std::size_t(group)];
    const auto found = c.sparse.find(group);
    return found == c.sparse.end() ? 0 : found->second;
}

bool RulesPenalty::isBad(const Condition &c, int count) const
{
    return c.shape == Shape::Range ? count > c.hi : c.shape == Shape::NotAlone && count == 1;
}

void RulesPenalty::noteIn(std::vector<int> &list, std::vector<int> &at, int group, bool was, bool is)
{
    if (was == is)
        return;
    if (is) {
        at[std::size_t(group)] = int(list.size());
        list.push_back(group);
        return;
    }
    const int where = at[std::size_t(group)];
    const int last = list.back();
    list[std::size_t(where)] = last;
    at[std::size_t(last)] = where;
    list.pop_back();
    at[std::size_t(group)] = -1;
}

void RulesPenalty::noteCount(Condition &c, int group, int before, int after)
{
    if (c.shape == Shape::Range) {
        c.shortGroups += int(after < c.lo) - int(before < c.lo);
        noteIn(c.lacking, c.lackingAt, group, before < c.lo, after < c.lo);
    }
    noteIn(c.bad, c.badAt, group, isBad(c, before), isBad(c, after));
}

void RulesPenalty::addTo(Condition &c, int group, int delta)
{
    if (!c.dense.empty()) {
        const int before = c.dense[std::size_t(group)];
        c.dense[std::size_t(group)] += delta;
        noteCount(c, group, before, before + delta);
        return;
    }
    int &count = c.sparse[group];
    count += delta;
    if (count == 0)
        c.sparse.erase(group);
}

long long RulesPenalty::termOf(const Condition &c, int count) const
{
    switch (c.shape) {
    case Shape::Apart:
        return (long long)count * (count - 1) / 2;
    case Shape::Range:
        return std::max(0, count - c.hi) + std::max(0, c.lo - count);
    case Shape::NotAlone:
        return count == 1 ? 1 : 0;
    case Shape::Together:
        break;
    }
    return 0;
}

long long RulesPenalty::costOf(const Condition &c) const
{
    if (c.shape == Shape::Together) {
        int largest = 0;
        for (const auto &[group, count] : c.sparse)
            largest = std::max(largest, count);
        return (long long)c.members.size() - largest;
    }
    long long cost = 0;
    if (!c.dense.empty()) {
        for (const int count : c.dense)
            cost += termOf(c, count);
    } else {
        for (const auto &[group, count] : c.sparse)
            cost += termOf(c, count);
        // Groups without a member count too (a spread's lower end).
        cost += (long long)(numGroups_ - int(c.sparse.size())) * termOf(c, 0);
    }
    return cost;
}

long long RulesPenalty::maxCostOf(const Condition &c) const
{
    const long long m = (long long)c.members.size();
    switch (c.shape) {
    case Shape::Apart:
        return m * (m - 1) / 2;
    case Shape::Range:
        return 2 * m;
    case Shape::NotAlone:
        return std::min<long long>(m, numGroups_);
    case Shape::Together:
        return m - 1;
    }
    return 0;
}

long long RulesPenalty::deltaOf(const Condition &c, const Change *changes, int count) const
{
    // The few groups the changes touch, with their change in members.
    int groups[4];
    int deltas[4];
    int touched = 0;
    const auto note = [&](int group, int delta) {
        for (int i = 0; i < touched; ++i) {
            if (groups[i] == group) {
                deltas[i] += delta;
                return;
            }
        }
        groups[touched] = group;
        deltas[touched] = delta;
        ++touched;
    };
    for (int i = 0; i < count; ++i) {
        note(changes[i].from, -1);
        note(changes[i].to, +1);
    }
    if (c.shape != Shape::Together) {
        long long delta = 0;
        for (int i = 0; i < touched; ++i) {
            if (deltas[i] == 0)
                continue;
            const int before = countIn(c, groups[i]);
            delta += termOf(c, before + deltas[i]) - termOf(c, before);
        }
        return delta;
    }
    int largestBefore = 0;
    int largestAfter = 0;
    for (const auto &[group, members] : c.sparse) {
        largestBefore = std::max(largestBefore, members);
        int after = members;
        for (int i = 0; i < touched; ++i)
            after += groups[i] == group ? deltas[i] : 0;
        largestAfter = std::max(largestAfter, after);
    }
    for (int i = 0; i < touched; ++i) {
        if (c.sparse.find(groups[i]) == c.sparse.end())
            largestAfter = std::max(largestAfter, deltas[i]);
    }
    return (long long)largestBefore - largestAfter;
}

void RulesPenalty::reset(const std::vector<int> &groupOf, int numGroups)
{
    groupOf_ = groupOf;
    groupOf_.resize(conditionsOf_.size(), -1);
    numGroups_ = numGroups;
    peopleIn_.assign(std::size_t(std::max(numGroups_, 0)), {});
    for (std::size_t p = 0; p < groupOf_.size(); ++p) {
        if (groupOf_[p] >= 0 && !conditionsOf_[p].empty())
            peopleIn_[std::size_t(groupOf_[p])].push_back(int(p));
    }
    for (Condition &c : conditions_) {
        c.dense.clear();
        c.sparse.clear();
        c.bad.clear();
        c.badAt.clear();
        c.lacking.clear();
        c.lackingAt.clear();
        c.shortGroups = 0;
        // A dense count costs a word per group: worth it for a trait many hold.
        if (c.shape != Shape::Together && (long long)c.members.size() * 4 >= numGroups_) {
            c.dense.assign(std::size_t(numGroups_), 0);
            c.badAt.assign(std::size_t(numGroups_), -1);
            c.lackingAt.assign(std::size_t(numGroups_), -1);
            if (c.shape == Shape::Range && c.lo > 0) {
                c.shortGroups = numGroups_;
                for (int g = 0; g < numGroups_; ++g) {
                    c.lackingAt[std::size_t(g)] = g;
                    c.lacking.push_back(g);
                }
            }
        }
        for (const int p : c.members) {
            if (groupOf_[std::size_t(p)] >= 0)
                addTo(c, groupOf_[std::size_t(p)], +1);
        }
        c.cost = costOf(c);
    }
    // Rules broken now weigh 1; a rule met now outweighs all of them at their worst.
    std::vector<long long> ruleCost;
    for (const Condition &c : conditions_) {
        if (std::size_t(c.rule) >= ruleCost.size())
            ruleCost.resize(std::size_t(c.rule) + 1, 0);
        ruleCost[std::size_t(c.rule)] += c.cost;
    }
    // Among broken rules, a person kept apart or together weighs more than
    // one swap can change the counted rules (each of a person's counted
    // conditions changes by at most 2 when two people trade groups): mending
    // a pair then never waits for a partner with just the right traits.
    std::size_t mostCounted = 0;
    for (std::size_t p = 0; p < conditionsOf_.size(); ++p) {
        std::size_t counted = 0;
        for (const int c : conditionsOf_[p])
            counted += conditions_[std::size_t(c)].shape == Shape::Range
                || conditions_[std::size_t(c)].shape == Shape::NotAlone;
        mostCounted = std::max(mostCounted, counted);
    }
    const long long pairWeight = 1 + 4 * (long long)mostCounted;
    const auto brokenWeight = [&](const Condition &c) {
        return c.shape == Shape::Apart || c.shape == Shape::Together ? pairWeight : 1LL;
    };
    long long worstBroken = 0;
    for (const Condition &c : conditions_) {
        if (ruleCost[std::size_t(c.rule)] > 0)
            worstBroken += brokenWeight(c) * maxCostOf(c);
    }
    total_ = 0;
    for (Condition &c : conditions_) {
        c.weight = ruleCost[std::size_t(c.rule)] > 0 ? brokenWeight(c) : worstBroken + 1;
        total_ += c.weight * c.cost;
    }
}

long long RulesPenalty::moveDelta(int p, int g) const
{
    const int from = groupOf_[std::size_t(p)];
    if (from == g)
        return 0;
    const Change change{p, from, g};
    long long delta = 0;
    for (const int c : conditionsOf_[std::size_t(p)])
        delta += conditions_[std::size_t(c)].weight * deltaOf(conditions_[std::size_t(c)], &change, 1);
    return delta;
}

long long RulesPenalty::swapDelta(int a, int b) const
{
    const int ga = groupOf_[std::size_t(a)];
    const int gb = groupOf_[std::size_t(b)];
    if (ga == gb)
        return 0;
    const Change both[2] = {{a, ga, gb}, {b, gb, ga}};
    const std::vector<int> &ofA = conditionsOf_[std::size_t(a)];
    const std::vector<int> &ofB = conditionsOf_[std::size_t(b)];
    long long delta = 0;
    for (const int c : ofA) {
        const bool shared = std::find(ofB.begin(), ofB.end(), c) != ofB.end();
        if (shared && conditions_[std::size_t(c)].shape != Shape::Together)
            continue;  // two members trade places: the counts stay
        delta += conditions_[std::size_t(c)].weight * deltaOf(conditions_[std::size_t(c)], both, shared ? 2 : 1);
    }
    for (const int c : ofB) {
        if (std::find(ofA.begin(), ofA.end(), c) == ofA.end())
            delta += conditions_[std::size_t(c)].weight * deltaOf(conditions_[std::size_t(c)], &both[1], 1);
    }
    return delta;
}

void RulesPenalty::move(int p, int g)
{
    const int from = groupOf_[std::size_t(p)];
    if (from == g)
        return;
    const Change change{p, from, g};
    for (const int index : conditionsOf_[std::size_t(p)]) {
        Condition &c = conditions_[std::size_t(index)];
        const long long delta = deltaOf(c, &change, 1);
        c.cost += delta;
        total_ += c.weight * delta;
        if (from >= 0)
            addTo(c, from, -1);
        if (g >= 0)
            addTo(c, g, +1);
    }
    if (!conditionsOf_[std::size_t(p)].empty()) {
        if (from >= 0) {
            std::vector<int> &left = peopleIn_[std::size_t(from)];
            left.erase(std::find(left.begin(), left.end(), p));
        }
        if (g >= 0)
            peopleIn_[std::size_t(g)].push_back(p);
    }
    groupOf_[std::size_t(p)] = g;
}

std::vector<int> RulesPenalty::culprits() const
{
    std::vector<int> people;
    std::vector<char> taken(groupOf_.size(), 0);
    const auto take = [&](int p) {
        if (!taken[std::size_t(p)]) {
            taken[std::size_t(p)] = 1;
            people.push_back(p);
        }
    };
    for (std::size_t index = 0; index < conditions_.size(); ++index) {
        const Condition &c = conditions_[index];
        if (c.cost == 0)
            continue;
        if (!c.dense.empty() && c.shortGroups == 0) {
            // Only the groups that break it: their members of this condition.
            for (const int g : c.bad) {
                for (const int p : peopleIn_[std::size_t(g)]) {
                    const std::vector<int> &of = conditionsOf_[std::size_t(p)];
                    if (std::find(of.begin(), of.end(), int(index)) != of.end())
                        take(p);
                }
            }
            continue;
        }
        for (const int p : c.members) {
            const int g = groupOf_[std::size_t(p)];
            if (g < 0)
                continue;
            const int n = countIn(c, g);
            const bool part = c.shape == Shape::Apart ? n >= 2
                : c.shape == Shape::Range             ? n > c.hi || (c.shortGroups > 0 && n > c.lo)
                : c.shape == Shape::NotAlone          ? n == 1 || n >= 3
                                                      : true;
            if (part)
                take(p);
        }
    }
    std::sort(people.begin(), people.end());
    return people;
}

} // namespace quorvia
