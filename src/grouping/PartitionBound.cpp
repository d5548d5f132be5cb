// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PartitionBound.h"

#include "grouping/GroupPricing.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

// The relaxation: a variable for every possible group (x_G >= 0, weight = the
// sum of its pairs' scores), every person covered exactly once, at most
// `groups` groups. There are far too many groups to list, so the linear
// program holds a few, and a search over all groups brings in those worth
// adding at the program's present prices (column generation).
//
// Why the figure is proven at every step: with prices y_i for the people
// and mu >= 0 for the count, any grouping's total equals
//   sum over its groups of (weight - sum of y over its people - mu)
//   + sum of all y + mu * (its number of groups),
// and each bracket is at most the best such value over all groups, r*, so
// the total is at most sum y + K mu + K max(0, r*) (K = at most that many
// groups). The search for r* is exact (or, where its work ran out, bounded
// from above), so whatever the prices, the figure holds; when no group has
// a positive value left it equals the program's optimum.
//
// The prices are taken from the interior of the program's optimal face
// (GLPK's interior-point method), not from a vertex: vertex prices jump from
// round to round in such degenerate programs, and the search then needs many
// more rounds.

namespace quorvia {
namespace {

using grouping::GroupPricing;

constexpr double kGain = 1e-6;  // a group must be worth at least this much to be added
constexpr int kMaxRounds = 400;
constexpr int kStartingDescents = 6;

class ColumnGeneration {
public:
    ColumnGeneration(const std::vector<int> &scores, int n, int groups, int groupSize, long long work)
        : scores_(scores), work_(std::max(0LL, work)), n_(n), groups_(std::min(groups, n)),
          size_(std::min(groupSize, n)), least_(std::clamp(n - (groups_ - 1) * size_, 1, std::max(1, size_))),
          pricing_(scores, n, least_, std::max(0, size_)), price_(std::size_t(n), 0.0)
    {
    }

    ~ColumnGeneration()
    {
        if (lp_)
            glp_delete_prob(lp_);
    }

    PartitionBound run()
    {
        PartitionBound result{std::numeric_limits<std::int64_t>::max(), false};
        if (n_ == 0 || groups_ <= 0 || size_ <= 0)
            return {0, true};
        lp_ = glp_create_prob();
        glp_set_obj_dir(lp_, GLP_MAX);
        glp_add_rows(lp_, n_ + 1);
        for (int p = 1; p <= n_; ++p)
            glp_set_row_bnds(lp_, p, GLP_FX, 1.0, 1.0);
        glp_set_row_bnds(lp_, n_ + 1, GLP_UP, 0.0, double(groups_));
        startingColumns();
        // Two thirds of the work for the rounds, the rest for the last,
        // proving search.
        const long long roundsWork = work_ / 3 * 2;
        long long work = 0;
        for (int round = 0; round < kMaxRounds && work < roundsWork; ++round) {
            if (!solve())
                return result;
            if (addColumns(pricing_.improveFrom(starts(), kGain, work)))
                continue;
            const GroupPricing::Found found = pricing_.exact(roundsWork - work, kGain);
            work += found.work;
            result.bound = std::min(result.bound, proven(found));
            if (!addColumns(found.groups)) {
                result.solved = found.unexplored == -std::numeric_limits<double>::infinity();
                return result;
            }
        }
        if (!solve())
            return result;
        result.bound = std::min(result.bound, proven(pricing_.exact(work_ - std::min(work, roundsWork), kGain)));
        return result;
    }

private:
    int score(int p, int q) const { return scores_[std::size_t(p) * std::size_t(n_) + std::size_t(q)]; }

    void startingColumns()
    {
        // Good groupings give the program good columns, and so a good value,
        // from the start.
        std::uint32_t seed = 12345;
        for (int d = 0; d < kStartingDescents && std::int64_t(groups_) * size_ >= n_; ++d)
            for (const auto &people : descentFromShuffle(seed))
                addColumn(people);
        if (least_ > 1)
            return;  // groups too small to be in any grouping would only loosen the program
        // Everyone alone, and a greedy grouping so that the program starts
        // feasible however few groups it may use.
        std::vector<std::vector<int>> grouped(static_cast<std::size_t>(groups_));
        for (int p = 0; p < n_; ++p) {
            int bestGroup = -1;
            long long bestGain = 0;
            for (int g = 0; g < groups_; ++g) {
                if (int(grouped[std::size_t(g)].size()) >= size_)
                    continue;
                long long gain = 0;
                for (int q : grouped[std::size_t(g)])
                    gain += score(p, q);
                if (bestGroup < 0 || gain > bestGain) {
                    bestGroup = g;
                    bestGain = gain;
                }
            }
            grouped[std::size_t(bestGroup)].push_back(p);
        }
        for (const auto &people : grouped)
            if (!people.empty())
                addColumn(people);
        for (int p = 0; p < n_; ++p)
            addColumn({p});
    }

    // A grouping into K groups of near-equal size dealt in a shuffled order,
    // then improved by moving one person or swapping two while that gains.
    std::vector<std::vector<int>> descentFromShuffle(std::uint32_t &seed) const
    {
        std::vector<int> order(static_cast<std::size_t>(n_));
        for (int p = 0; p < n_; ++p)
            order[std::size_t(p)] = p;
        for (int p = n_ - 1; p > 0; --p) {
            seed = seed * 1664525u + 1013904223u;
            std::swap(order[std::size_t(p)], order[std::size_t(seed % std::uint32_t(p + 1))]);
        }
        const int k = groups_;
        std::vector<int> groupOf(static_cast<std::size_t>(n_)), count(static_cast<std::size_t>(k), 0);
        for (int i = 0; i < n_; ++i) {
            groupOf[std::size_t(order[std::size_t(i)])] = i % k;
            ++count[std::size_t(i % k)];
        }
        std::vector<long long> link(std::size_t(n_) * std::size_t(k), 0);  // each person's scores with each group
        auto with = [&](int p, int g) -> long long & { return link[std::size_t(p) * std::size_t(k) + std::size_t(g)]; };
        for (int p = 0; p < n_; ++p)
            for (int q = 0; q < n_; ++q)
                if (q != p)
                    with(p, groupOf[std::size_t(q)]) += score(p, q);
        auto moveTo = [&](int p, int g) {
            const int from = groupOf[std::size_t(p)];
            for (int q = 0; q < n_; ++q) {
                if (q != p) {
                    with(q, from) -= score(q, p);
                    with(q, g) += score(q, p);
                }
            }
            --count[std::size_t(from)];
            ++count[std::size_t(g)];
            groupOf[std::size_t(p)] = g;
        };
        for (bool better = true; better;) {
            better = false;
            for (int p = 0; p < n_; ++p) {
                const int from = groupOf[std::size_t(p)];
                for (int g = 0; g < k; ++g) {
                    if (g != from && count[std::size_t(g)] < size_ && count[std::size_t(from)] > least_
                        && with(p, g) > with(p, from)) {
                        moveTo(p, g);
                        better = true;
                        break;
                    }
                }
            }
            for (int p = 0; p < n_; ++p) {
                for (int q = p + 1; q < n_; ++q) {
                    const int gp = groupOf[std::size_t(p)], gq = groupOf[std::size_t(q)];
                    if (gp != gq && with(p, gq) - with(p, gp) + with(q, gp) - with(q, gq) - 2LL * score(p, q) > 0) {
                        moveTo(p, gq);
                        moveTo(q, gp);
                        better = true;
                    }
                }
            }
        }
        std::vector<std::vector<int>> grouping(static_cast<std::size_t>(k));
        for (int p = 0; p < n_; ++p)
            grouping[std::size_t(groupOf[std::size_t(p)])].push_back(p);
        return grouping;
    }

    void addColumn(const std::vector<int> &people)
    {
        if (people.empty() || !known_.insert(people).second)
            return;
        const int j = glp_add_cols(lp_, 1);
        columns_.push_back(people);
        std::vector<int> index{0};
        std::vector<double> ones(people.size() + 2, 1.0);
        double weight = 0;
        for (std::size_t a = 0; a < people.size(); ++a) {
            index.push_back(people[a] + 1);
            for (std::size_t b = a + 1; b < people.size(); ++b)
                weight += score(people[a], people[b]);
        }
        index.push_back(n_ + 1);
        glp_set_mat_col(lp_, j, int(people.size()) + 1, index.data(), ones.data());
        glp_set_col_bnds(lp_, j, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp_, j, weight);
    }

    bool addColumns(std::vector<GroupPricing::Group> groups)
    {
        std::sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) {
            return a.value != b.value ? a.value > b.value : a.people < b.people;
        });
        const std::size_t before = known_.size();
        for (const auto &g : groups) {
            if (known_.size() - before >= std::size_t(std::max(8, n_ / 2)))
                break;
            addColumn(g.people);
        }
        return known_.size() > before;
    }

    // Where the cheap search starts: everyone alone, and the groups the
    // program now uses.
    std::vector<std::vector<int>> starts() const
    {
        std::vector<std::vector<int>> from;
        for (int p = 0; p < n_; ++p)
            from.push_back({p});
        for (int j = 1; j <= glp_get_num_cols(lp_); ++j)
            if (glp_get_col_prim(lp_, j) > 1e-6 && columns_[std::size_t(j - 1)].size() > 1)
                from.push_back(columns_[std::size_t(j - 1)]);
        return from;
    }

    bool solve()
    {
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.msg_lev = GLP_MSG_OFF;
        if (glp_simplex(lp_, &parm) != 0 || glp_get_status(lp_) != GLP_OPT)
            return false;
        glp_iptcp interior;
        glp_init_iptcp(&interior);
        interior.msg_lev = GLP_MSG_OFF;
        const bool central = glp_interior(lp_, &interior) == 0 && glp_ipt_status(lp_) == GLP_OPT;
        for (int p = 0; p < n_; ++p)
            price_[std::size_t(p)] = central ? glp_ipt_row_dual(lp_, p + 1) : glp_get_row_dual(lp_, p + 1);
        countPrice_ = std::max(0.0, central ? glp_ipt_row_dual(lp_, n_ + 1) : glp_get_row_dual(lp_, n_ + 1));
        pricing_.setPrices(price_, countPrice_);
        return true;
    }

    // The figure proven by the present prices and what the search found.
    std::int64_t proven(const GroupPricing::Found &found) const
    {
        const double best = std::max(found.best, found.unexplored);
        double total = double(groups_) * (countPrice_ + std::max(0.0, best));
        double size = std::abs(total);
        for (double y : price_) {
            total += y;
            size += std::abs(y);
        }
        // Rounding in the sums could only lower the figure by far less than
        // this; the total is a whole number, so the fraction goes.
        return std::int64_t(std::floor(total + 1e-6 + 1e-9 * size));
    }

    const std::vector<int> &scores_;
    const long long work_;
    const int n_, groups_, size_;
    // No grouping has a group of fewer: the others could not hold the rest.
    const int least_;
    GroupPricing pricing_;
    std::vector<double> price_;
    double countPrice_ = 0;
    glp_prob *lp_ = nullptr;
    std::set<std::vector<int>> known_;
    std::vector<std::vector<int>> columns_;  // the program's columns' people, in column order
};

} // namespace

PartitionBound partitionBound(const std::vector<int> &scores, int n, int groups, int groupSize, long long work)
{
    glp_term_out(GLP_OFF);
    PartitionBound result = ColumnGeneration(scores, n, groups, groupSize, work).run();
    // GLPK keeps an environment per thread; free it so no thread leaves it behind.
    glp_free_env();
    return result;
}

} // namespace quorvia
