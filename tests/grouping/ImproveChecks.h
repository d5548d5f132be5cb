// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Improve tests share: a condition to meet written out in full,
// and where each person of a start table ended up.

#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvia::testing {

// Pairs of people (numbered by their slot in the start table) to keep apart
// or together; broken() counts the pairs not as asked.
class PairConditions : public ImprovePenalty {
public:
    struct Pair {
        int a, b;
        bool together;
    };
    explicit PairConditions(std::vector<Pair> pairs) : pairs_(std::move(pairs)) {}

    void reset(const std::vector<int> &groupOf, int) override { groupOf_ = groupOf; }
    long long broken() const override
    {
        long long count = 0;
        for (const Pair &p : pairs_)
            count += isBroken(p) ? 1 : 0;
        return count;
    }
    long long moveDelta(int p, int g) const override { return changed({{p, g}}); }
    long long swapDelta(int a, int b) const override
    {
        return changed({{a, groupOf_[std::size_t(b)]}, {b, groupOf_[std::size_t(a)]}});
    }
    void move(int p, int g) override { groupOf_[std::size_t(p)] = g; }
    std::vector<int> culprits() const override
    {
        std::vector<int> people;
        for (const Pair &pair : pairs_)
            if (isBroken(pair)) {
                people.push_back(pair.a);
                people.push_back(pair.b);
            }
        return people;
    }
    // The conditions broken by a placement given as groupOf.
    long long brokenIn(const std::vector<int> &groupOf)
    {
        const std::vector<int> kept = groupOf_;
        groupOf_ = groupOf;
        const long long count = broken();
        groupOf_ = kept;
        return count;
    }

private:
    bool isBroken(const Pair &p) const
    {
        return (groupOf_[std::size_t(p.a)] == groupOf_[std::size_t(p.b)]) != p.together;
    }
    long long changed(const std::vector<std::pair<int, int>> &moves) const
    {
        const long long before = broken();
        std::vector<int> old;
        for (auto [p, g] : moves) {
            old.push_back(groupOf_[std::size_t(p)]);
            groupOf_[std::size_t(p)] = g;
        }
        const long long after = broken();
        for (std::size_t k = moves.size(); k-- > 0;)
            groupOf_[std::size_t(moves[k].first)] = old[k];
        return after - before;
    }

    std::vector<Pair> pairs_;
    mutable std::vector<int> groupOf_;  // tried on and put back by the deltas
};

inline std::string bytesOf(const ProfileRecord &r)
{
    return std::string(reinterpret_cast<const char *>(&r), sizeof r);
}

// For every slot of `start`: the group its person is in within `after`, -1 for a free slot.
inline std::vector<int> groupsAfter(const GroupTable &start, const GroupTable &after)
{
    std::map<std::string, int> groupOf;
    for (int g = 0; g < after.NumGroups; ++g)
        for (int s = 0; s < after.GroupSize; ++s)
            if (isPerson(after.at(g, s)))
                groupOf[bytesOf(after.at(g, s))] = g;
    std::vector<int> result;
    for (const ProfileRecord &r : start.slotRecords)
        result.push_back(isPerson(r) ? groupOf.at(bytesOf(r)) : -1);
    return result;
}

} // namespace quorvia::testing
