// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Baselines for bench_improve that scale to 32,767 people: a plain local
// search (each person's best improving swap or move, until nobody has one)
// and an iterated local search (that descent, then small random kicks each
// followed by a descent of the people they touched, kept when no worse,
// undone otherwise). Both score through Improve's own group counts, so that
// only the search differs. The groups tried for a person are every group
// when there are at most 32, else the groups of their 16 best partners.

#include "grouping/GroupImprover.h"
#include "grouping/ImproveState.h"
#include "grouping/PairScan.h"

#include <chrono>
#include <ctime>
#include <random>
#include <vector>

namespace quorvia::bench {

class Baseline : grouping::ImproveState<std::int16_t> {
    using State = grouping::ImproveState<std::int16_t>;

public:
    Baseline(const GroupTable &start, const ImproveOptions &options) : State(start, options)
    {
        const int count = std::min(16, people_ - 1);
        if (groups_ > 32 && count > 0) {
            neighbours_.resize(std::size_t(people_));
            const grouping::PairScan scan(masks_);
            grouping::PairScan::Row row;
            for (int p = 0; p < people_; ++p)
                scan.best(p, count, &neighbours_[std::size_t(p)], row);
        }
    }

    long long total() const { return total_; }

    // Descends from the present groups; true when it ended before the CPU time ran out.
    bool descend(double cpuSeconds)
    {
        queue_.clear();
        queued_.assign(std::size_t(people_), false);
        for (int p = 0; p < people_; ++p)
            push(p);
        return run(cpuStart() + cpuSeconds);
    }

    // Iterated local search for the given CPU time (the descent included).
    void iterate(double cpuSeconds)
    {
        const double end = cpuStart() + cpuSeconds;
        std::mt19937 random(4242u);
        descend(cpuSeconds);
        queued_.assign(std::size_t(people_), false);
        while (cpu() < end && people_ > 1 && groups_ > 1) {
            const long long before = total_;
            log_.clear();
            logging_ = true;
            const int kicks = std::uniform_int_distribution<int>(2, 6)(random);
            for (int k = 0; k < kicks; ++k) {
                const int p = std::uniform_int_distribution<int>(0, people_ - 1)(random);
                const int g = std::uniform_int_distribution<int>(0, groups_ - 1)(random);
                if (g == group_[std::size_t(p)] || size(g) == 0)
                    continue;
                const int q = membersOf(g)[std::uniform_int_distribution<int>(0, size(g) - 1)(random)];
                doSwap(p, q);
                push(p);
                push(q);
            }
            run(end);
            logging_ = false;
            if (total_ < before) {
                for (std::size_t k = log_.size(); k-- > 0;) {
                    const Step &s = log_[k];
                    if (s.partner >= 0)
                        swap(s.person, s.partner);
                    else
                        move(s.person, s.from);
                }
            }
        }
    }

private:
    struct Step {
        int person, partner, from;
    };

    static double cpu() { return double(std::clock()) / CLOCKS_PER_SEC; }
    static double cpuStart() { return cpu(); }

    void push(int p)
    {
        if (!queued_[std::size_t(p)]) {
            queued_[std::size_t(p)] = true;
            queue_.push_back(p);
        }
    }

    void doSwap(int p, int q)
    {
        if (logging_)
            log_.push_back({p, q, -1});
        swap(p, q);
    }
    void doMove(int p, int g)
    {
        if (logging_)
            log_.push_back({p, -1, group_[std::size_t(p)]});
        move(p, g);
    }

    bool run(double end)
    {
        std::vector<int> groups;
        std::size_t head = 0;
        int sinceClock = 0;
        while (head < queue_.size()) {
            if (++sinceClock == 256) {
                sinceClock = 0;
                if (cpu() >= end) {
                    for (std::size_t k = head; k < queue_.size(); ++k)
                        queued_[std::size_t(queue_[k])] = false;
                    queue_.clear();
                    return false;
                }
            }
            const int p = queue_[head++];
            queued_[std::size_t(p)] = false;
            const int a = group_[std::size_t(p)];
            groups.clear();
            if (neighbours_.empty()) {
                for (int g = 0; g < groups_; ++g)
                    if (g != a)
                        groups.push_back(g);
            } else {
                for (int q : neighbours_[std::size_t(p)])
                    if (group_[std::size_t(q)] != a)
                        groups.push_back(group_[std::size_t(q)]);
            }
            const long long base = scoreIn(p, a) - self_[std::size_t(p)];
            long long best = 0;
            int bestGroup = -1, bestPartner = -1;
            for (int b : groups) {
                const long long gain = scoreIn(p, b) - base;
                if (gain > best && size(b) < slots_) {
                    best = gain;
                    bestGroup = b;
                    bestPartner = -1;
                }
                for (int k = 0; k < size(b); ++k) {
                    const int q = membersOf(b)[k];
                    const long long g = gain + scoreIn(q, a) - scoreIn(q, b) + self_[std::size_t(q)] - 2LL * pair(p, q);
                    if (g > best) {
                        best = g;
                        bestGroup = b;
                        bestPartner = q;
                    }
                }
            }
            if (bestGroup < 0)
                continue;
            if (bestPartner >= 0)
                doSwap(p, bestPartner);
            else
                doMove(p, bestGroup);
            for (int g : {a, bestGroup})
                for (int k = 0; k < size(g); ++k)
                    push(membersOf(g)[k]);
            if (queue_.size() > 4 * std::size_t(people_) && head > queue_.size() / 2) {
                queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(head));
                head = 0;
            }
        }
        queue_.clear();
        return true;
    }

    std::vector<std::vector<int>> neighbours_;
    std::vector<int> queue_;
    std::vector<bool> queued_;
    std::vector<Step> log_;
    bool logging_ = false;
};

} // namespace quorvia::bench
