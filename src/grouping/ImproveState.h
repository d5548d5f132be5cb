// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to Improve: who is in which group, the groups' trait counts and the
// total, and the swaps and moves that keep them exact.

#include "grouping/GroupImprover.h"
#include "grouping/ImprovePenalty.h"
#include "grouping/ImproveScoring.h"
#include "grouping/TraitMasks.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace quorvia::grouping {

// How many people each group should hold so that sizes differ by as little
// as the locks and slot counts allow: the same level L for every group,
// clamped to [low, high], plus one for some groups to use everybody up.
// Groups already holding more people get the extra one first.
inline std::vector<int> evenTargets(const std::vector<int> &low, const std::vector<int> &high,
                             const std::vector<int> &current, int people)
{
    const std::size_t groups = low.size();
    auto filled = [&](int level) {
        long long sum = 0;
        for (std::size_t g = 0; g < groups; ++g)
            sum += std::clamp(level, low[g], std::max(low[g], high[g]));
        return sum;
    };
    int maxHigh = 0;
    for (int h : high)
        maxHigh = std::max(maxHigh, h);
    int level = 0;
    while (level < maxHigh && filled(level + 1) <= people)
        ++level;
    std::vector<int> target(groups);
    long long left = people;
    for (std::size_t g = 0; g < groups; ++g) {
        target[g] = std::clamp(level, low[g], std::max(low[g], high[g]));
        left -= target[g];
    }
    std::vector<int> order;
    for (std::size_t g = 0; g < groups; ++g) {
        if (target[g] == level && level < high[g] && low[g] <= level)
            order.push_back(int(g));
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return current[std::size_t(a)] > current[std::size_t(b)]; });
    for (std::size_t k = 0; k < order.size() && left > 0; ++k, --left)
        ++target[std::size_t(order[k])];
    return target;
}

// A person is a slot whose HasData is not 0; people are numbered in slot
// order. Count is wide enough for a group's trait counts.
template <typename Count>
class ImproveState {
public:
    ImproveState(const GroupTable &start, const ImproveOptions &options) : start_(start), options_(options)
    {
        groups_ = start.NumGroups;
        slots_ = start.GroupSize;
        members_.assign(std::size_t(groups_) * std::size_t(slots_), -1);
        size_.assign(std::size_t(groups_), 0);
        capacity_.assign(std::size_t(groups_), slots_);
        lockedCount_.assign(std::size_t(groups_), 0);
        counts_.assign(std::size_t(groups_), GroupCounts<Count>{});
        for (int g = 0; g < groups_; ++g) {
            for (int s = 0; s < slots_; ++s) {
                const std::size_t index = std::size_t(g) * std::size_t(slots_) + std::size_t(s);
                const bool locked = index < options.lockedSlots.size() && options.lockedSlots[index];
                const ProfileRecord &r = start.slotRecords[index];
                if (!isPerson(r)) {
                    if (locked)
                        --capacity_[std::size_t(g)];  // a locked free slot stays free
                    continue;
                }
                slot_.push_back(int(index));
                locked_.push_back(locked);
                if (locked)
                    ++lockedCount_[std::size_t(g)];
                group_.push_back(g);
                position_.push_back(0);
                const TraitMasks m(r);
                masks_.push_back(m);
                PersonVector v{};
                for (int t = 0; t < kTraitCount; ++t) {
                    const auto bit = std::uint32_t(1) << t;
                    v.lane[t] = std::int8_t(((m.compatible & bit) ? 1 : 0) - ((m.incompatible & bit) ? 1 : 0));
                    v.lane[kTraitCount + t] = std::int8_t((m.own & bit) ? 1 : 0);
                }
                vector_.push_back(v);
                const std::uint64_t own = m.own;
                pairMasks_.push_back(PairMasks{m.compatible | own << kTraitCount, m.incompatible | own << kTraitCount,
                                               own | std::uint64_t(m.compatible) << kTraitCount,
                                               own | std::uint64_t(m.incompatible) << kTraitCount});
                self_.push_back(pairScore(pairMasks_.back(), pairMasks_.back()));
            }
        }
        people_ = int(slot_.size());
        startGroup_ = group_;
        penalty_ = options.penalty;
        if (options.liftWeakest) {
            groupScore_.assign(std::size_t(groups_), 0);
            for (leaves_ = 1; leaves_ < groups_; leaves_ *= 2) {
            }
            weakestTree_.assign(std::size_t(2 * leaves_), kNoGroup);
        }
        rebuild();
    }

    // ------------------------------------------------------------ conditions and the weakest group

    // How good the present groups are, in the order the search prefers them:
    // fewer broken conditions, then (when asked) a stronger weakest group,
    // then a higher total.
    struct Key {
        long long broken = 0, weakest = 0, total = 0;
        bool operator>(const Key &o) const
        {
            if (broken != o.broken)
                return broken < o.broken;
            if (weakest != o.weakest)
                return weakest > o.weakest;
            return total > o.total;
        }
    };
    Key key() const
    {
        return Key{penalty_ ? penalty_->broken() : 0, groupScore_.empty() ? 0 : weakestTree_[1], total_};
    }

    // The change in broken conditions if p moved to g, or p and q swapped.
    // Each counts as a unit of work, as a dot product does.
    long long moveDelta(int p, int g)
    {
        if (!penalty_)
            return 0;
        ++work_;
        return penalty_->moveDelta(slot_[std::size_t(p)], g);
    }
    long long swapDelta(int p, int q)
    {
        if (!penalty_)
            return 0;
        ++work_;
        return penalty_->swapDelta(slot_[std::size_t(p)], slot_[std::size_t(q)]);
    }

    // The score of group g, and the lowest over the groups that hold people.
    static constexpr long long kNoGroup = std::numeric_limits<long long>::max();
    void setGroupScore(int g, long long score)
    {
        groupScore_[std::size_t(g)] = score;
        std::size_t k = std::size_t(leaves_ + g);
        weakestTree_[k] = size(g) > 0 ? score : kNoGroup;
        for (k /= 2; k >= 1; k /= 2)
            weakestTree_[k] = std::min(weakestTree_[2 * k], weakestTree_[2 * k + 1]);
    }
    int weakestGroup() const
    {
        std::size_t k = 1;
        while (k < std::size_t(leaves_))
            k = weakestTree_[2 * k] == weakestTree_[k] ? 2 * k : 2 * k + 1;
        return int(k) - leaves_;
    }


    int scoreIn(int p, int g)
    {
        ++work_;
        return dot(vector_[std::size_t(p)], counts_[std::size_t(g)]);
    }
    int pair(int p, int q)
    {
        ++work_;
        return pairScore(pairMasks_[std::size_t(p)], pairMasks_[std::size_t(q)]);
    }

    int size(int g) const { return size_[std::size_t(g)]; }
    const int *membersOf(int g) const { return members_.data() + std::size_t(g) * std::size_t(slots_); }

    void addCounts(int p, int g, int sign)
    {
        GroupCounts<Count> &c = counts_[std::size_t(g)];
        const PersonVector &v = vector_[std::size_t(p)];
        for (int t = 0; t < kTraitCount; ++t) {
            c.lane[t] = Count(c.lane[t] + sign * v.lane[kTraitCount + t]);
            c.lane[kTraitCount + t] = Count(c.lane[kTraitCount + t] + sign * v.lane[t]);
        }
    }

    // Members, counts and total from group_ alone.
    void rebuild()
    {
        std::fill(size_.begin(), size_.end(), 0);
        std::fill(counts_.begin(), counts_.end(), GroupCounts<Count>{});
        for (int p = 0; p < people_; ++p) {
            const int g = group_[std::size_t(p)];
            position_[std::size_t(p)] = size_[std::size_t(g)]++;
            members_[std::size_t(g) * std::size_t(slots_) + std::size_t(position_[std::size_t(p)])] = p;
            addCounts(p, g, +1);
        }
        total_ = 0;
        std::vector<long long> twice(groupScore_.empty() ? 0 : std::size_t(groups_), 0);
        for (int p = 0; p < people_; ++p) {
            const int in = scoreIn(p, group_[std::size_t(p)]) - self_[std::size_t(p)];
            total_ += in;
            if (!twice.empty())
                twice[std::size_t(group_[std::size_t(p)])] += in;
        }
        total_ /= 2;
        for (std::size_t g = 0; g < twice.size(); ++g)
            setGroupScore(int(g), twice[g] / 2);
        if (penalty_) {
            std::vector<int> groupOf(start_.slotRecords.size(), -1);
            for (int p = 0; p < people_; ++p)
                groupOf[std::size_t(slot_[std::size_t(p)])] = group_[std::size_t(p)];
            penalty_->reset(groupOf, groups_);
        }
    }
    bool canMove(int from, int to) const
    {
        if (size(to) >= capacity_[std::size_t(to)])
            return false;
        return !options_.evenSizes || size(from) > size(to);
    }

    // Moves p into group `to`, keeping the total exact.
    void move(int p, int to)
    {
        const auto pi = std::size_t(p);
        const int from = group_[pi];
        const int leaving = scoreIn(p, from) - self_[pi], joining = scoreIn(p, to);
        total_ += joining - leaving;
        if (penalty_)
            penalty_->move(slot_[pi], to);
        addCounts(p, from, -1);
        addCounts(p, to, +1);
        int *old = members_.data() + std::size_t(from) * std::size_t(slots_);
        const int last = old[--size_[std::size_t(from)]];
        old[position_[pi]] = last;
        position_[std::size_t(last)] = position_[pi];
        position_[pi] = size_[std::size_t(to)]++;
        members_[std::size_t(to) * std::size_t(slots_) + std::size_t(position_[pi])] = p;
        group_[pi] = to;
        if (!groupScore_.empty()) {
            setGroupScore(from, groupScore_[std::size_t(from)] - leaving);
            setGroupScore(to, groupScore_[std::size_t(to)] + joining);
        }
    }

    // p and q change places; their groups keep their sizes throughout.
    void swap(int p, int q)
    {
        const auto pi = std::size_t(p), qi = std::size_t(q);
        const int a = group_[pi], b = group_[qi];
        const int both = pair(p, q);
        // What group a and group b gain.
        const long long gainA = scoreIn(q, a) - (scoreIn(p, a) - self_[pi]) - both;
        const long long gainB = scoreIn(p, b) - (scoreIn(q, b) - self_[qi]) - both;
        total_ += gainA + gainB;
        if (penalty_) {
            penalty_->move(slot_[pi], b);
            penalty_->move(slot_[qi], a);
        }
        if (!groupScore_.empty()) {
            setGroupScore(a, groupScore_[std::size_t(a)] + gainA);
            setGroupScore(b, groupScore_[std::size_t(b)] + gainB);
        }
        addCounts(p, a, -1);
        addCounts(q, a, +1);
        addCounts(q, b, -1);
        addCounts(p, b, +1);
        members_[std::size_t(a) * std::size_t(slots_) + std::size_t(position_[pi])] = q;
        members_[std::size_t(b) * std::size_t(slots_) + std::size_t(position_[qi])] = p;
        std::swap(position_[pi], position_[qi]);
        group_[pi] = b;
        group_[qi] = a;
    }

    // Even sizes: each group with too many people gives away the ones who add
    // least to it, each to the short group where they score highest.
    void spread()
    {
        std::vector<int> high(static_cast<std::size_t>(groups_)), current(static_cast<std::size_t>(groups_));
        for (int g = 0; g < groups_; ++g) {
            high[std::size_t(g)] = capacity_[std::size_t(g)];
            current[std::size_t(g)] = size(g);
        }
        const std::vector<int> target = evenTargets(lockedCount_, high, current, people_);
        for (int g = 0; g < groups_; ++g) {
            while (size(g) > target[std::size_t(g)]) {
                // Who leaves: the one whose going breaks least, then who adds least here.
                int leaving = -1;
                long long leastBroken = 0, worst = 0;
                for (int k = 0; k < size(g); ++k) {
                    const int q = membersOf(g)[k];
                    if (locked_[std::size_t(q)])
                        continue;
                    long long broken = 0;
                    if (penalty_) {
                        broken = std::numeric_limits<long long>::max();
                        for (int h = 0; h < groups_; ++h) {
                            if (h != g && size(h) < target[std::size_t(h)])
                                broken = std::min(broken, moveDelta(q, h));
                        }
                    }
                    const long long v = scoreIn(q, g) - self_[std::size_t(q)];
                    if (leaving < 0 || broken < leastBroken
                        || (broken == leastBroken && (v < worst || (v == worst && q < leaving)))) {
                        leastBroken = broken;
                        worst = v;
                        leaving = q;
                    }
                }
                if (leaving < 0)
                    break;
                int into = -1;
                long long bestBroken = 0, bestScore = 0;
                for (int h = 0; h < groups_; ++h) {
                    if (size(h) >= target[std::size_t(h)])
                        continue;
                    const long long broken = moveDelta(leaving, h);
                    const long long v = scoreIn(leaving, h);
                    if (into < 0 || broken < bestBroken || (broken == bestBroken && v > bestScore)) {
                        bestBroken = broken;
                        bestScore = v;
                        into = h;
                    }
                }
                if (into < 0)
                    break;
                move(leaving, into);
                spreadMoved_ = true;
            }
        }
    }

    // The table of the present groups: in every group its people from the
    // first slot on, free slots last; a locked person keeps their slot if it
    // lies among the people's, else the first free one; the others, those who
    // were there first in their old order, then the newcomers.
    GroupTable table() const
    {
        GroupTable table;
        table.NumGroups = groups_;
        table.GroupSize = slots_;
        table.slotRecords.assign(start_.slotRecords.size(), ProfileRecord{});
        for (int g = 0; g < groups_; ++g) {
            std::vector<int> stay(membersOf(g), membersOf(g) + size(g));
            std::sort(stay.begin(), stay.end(), [&](int x, int y) {
                const bool xNew = startGroup_[std::size_t(x)] != g, yNew = startGroup_[std::size_t(y)] != g;
                return xNew != yNew ? !xNew : x < y;
            });
            // A locked person keeps their slot when it lies among the group's first size(g).
            const std::size_t first = std::size_t(g) * std::size_t(slots_), end = first + stay.size();
            std::vector<bool> placed(stay.size(), false);
            for (std::size_t k = 0; k < stay.size(); ++k) {
                const auto from = std::size_t(slot_[std::size_t(stay[k])]);
                if (locked_[std::size_t(stay[k])] && from >= first && from < end && !isPerson(table.slotRecords[from])) {
                    table.slotRecords[from] = start_.slotRecords[from];
                    placed[k] = true;
                }
            }
            std::size_t next = first;
            for (std::size_t k = 0; k < stay.size(); ++k) {
                if (placed[k])
                    continue;
                while (isPerson(table.slotRecords[next]))
                    ++next;
                table.slotRecords[next] = start_.slotRecords[std::size_t(slot_[std::size_t(stay[k])])];
            }
        }
        return table;
    }

    // What was given, and the people as found in it.
    const GroupTable &start_;
    const ImproveOptions &options_;

    int groups_ = 0;
    int slots_ = 0;
    int people_ = 0;
    std::vector<int> slot_;  // start table index of each person
    std::vector<bool> locked_;
    std::vector<TraitMasks> masks_;
    std::vector<PersonVector> vector_;
    std::vector<PairMasks> pairMasks_;
    std::vector<int> self_;
    std::vector<int> group_, startGroup_, position_;
    std::vector<int> members_;  // group g's at g * slots_ .. + size_[g]
    std::vector<int> size_;
    std::vector<int> capacity_, lockedCount_;
    std::vector<GroupCounts<Count>> counts_;
    long long total_ = 0;
    ImprovePenalty *penalty_ = nullptr;
    std::vector<long long> groupScore_;   // with liftWeakest only
    std::vector<long long> weakestTree_;  // the lowest score below each node; groups without people count as none
    int leaves_ = 0;

    long long work_ = 0;  // dot products so far
    bool spreadMoved_ = false;
};

} // namespace quorvia::grouping
