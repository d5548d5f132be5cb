#pragma once

// Internal to Improve: who is in which group, the groups' trait counts and the
// total, and the swaps and moves that keep them exact.

#include "grouping/GroupImprover.h"
#include "grouping/ImproveScoring.h"
#include "grouping/TraitMasks.h"

#include <algorithm>
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
        rebuild();
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
        for (int p = 0; p < people_; ++p)
            total_ += scoreIn(p, group_[std::size_t(p)]) - self_[std::size_t(p)];
        total_ /= 2;
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
        total_ += scoreIn(p, to) - scoreIn(p, from) + self_[pi];
        addCounts(p, from, -1);
        addCounts(p, to, +1);
        int *old = members_.data() + std::size_t(from) * std::size_t(slots_);
        const int last = old[--size_[std::size_t(from)]];
        old[position_[pi]] = last;
        position_[std::size_t(last)] = position_[pi];
        position_[pi] = size_[std::size_t(to)]++;
        members_[std::size_t(to) * std::size_t(slots_) + std::size_t(position_[pi])] = p;
        group_[pi] = to;
    }

    // p and q change places; their groups keep their sizes throughout.
    void swap(int p, int q)
    {
        const auto pi = std::size_t(p), qi = std::size_t(q);
        const int a = group_[pi], b = group_[qi];
        total_ += scoreIn(p, b) - scoreIn(p, a) + self_[pi] + scoreIn(q, a) - scoreIn(q, b) + self_[qi]
            - 2LL * pair(p, q);
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
                int leaving = -1;
                long long worst = std::numeric_limits<long long>::max();
                for (int k = 0; k < size(g); ++k) {
                    const int q = membersOf(g)[k];
                    if (locked_[std::size_t(q)])
                        continue;
                    const long long v = scoreIn(q, g) - self_[std::size_t(q)];
                    if (v < worst || (v == worst && q < leaving)) {
                        worst = v;
                        leaving = q;
                    }
                }
                if (leaving < 0)
                    break;
                int into = -1;
                long long bestScore = std::numeric_limits<long long>::min();
                for (int h = 0; h < groups_; ++h) {
                    if (size(h) >= target[std::size_t(h)])
                        continue;
                    const long long v = scoreIn(leaving, h);
                    if (v > bestScore) {
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

    // The table of the present groups: locked slots as they were, and in
    // every group its people from the first free slot on.
    GroupTable table() const
    {
        GroupTable table;
        table.NumGroups = groups_;
        table.GroupSize = slots_;
        table.slotRecords.assign(start_.slotRecords.size(), ProfileRecord{});
        std::vector<bool> taken(table.slotRecords.size(), false);
        for (std::size_t index = 0; index < table.slotRecords.size(); ++index) {
            if (index < options_.lockedSlots.size() && options_.lockedSlots[index]) {
                table.slotRecords[index] = start_.slotRecords[index];
                taken[index] = true;
            }
        }
        for (int g = 0; g < groups_; ++g) {
            std::vector<int> stay(membersOf(g), membersOf(g) + size(g));
            // Those who were here first, in their old order, then the newcomers.
            std::sort(stay.begin(), stay.end(), [&](int x, int y) {
                const bool xNew = startGroup_[std::size_t(x)] != g, yNew = startGroup_[std::size_t(y)] != g;
                return xNew != yNew ? !xNew : x < y;
            });
            std::size_t next = std::size_t(g) * std::size_t(slots_);
            for (int p : stay) {
                if (locked_[std::size_t(p)])
                    continue;
                while (taken[next])
                    ++next;
                table.slotRecords[next] = start_.slotRecords[std::size_t(slot_[std::size_t(p)])];
                taken[next] = true;
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

    long long work_ = 0;  // dot products so far
    bool spreadMoved_ = false;
};

} // namespace quorvia::grouping
