// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PartitionBound.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
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

namespace quorvia {
namespace {

constexpr double kGain = 1e-6;  // a group must be worth at least this much to be added
constexpr double kNone = -std::numeric_limits<double>::infinity();

constexpr int kMaxRounds = 400;

class ColumnGeneration {
public:
    ColumnGeneration(const std::vector<int> &scores, int n, int groups, int groupSize, long long work)
        : scores_(scores), work_(std::max(0LL, work)), n_(n), groups_(std::min(groups, n)), size_(std::min(groupSize, n)),
          price_(std::size_t(n), 0.0)
    {
        // For each person, half the sum of their r highest positive scores:
        // what r more partners could add at most, a pair's score split in two.
        halfTop_.assign(std::size_t(n_), std::vector<double>(std::size_t(size_), 0.0));
        std::vector<int> row;
        for (int p = 0; p < n_; ++p) {
            row.clear();
            for (int q = 0; q < n_; ++q)
                if (q != p && score(p, q) > 0)
                    row.push_back(score(p, q));
            std::sort(row.begin(), row.end(), std::greater<>());
            for (int r = 1; r < size_; ++r)
                halfTop_[std::size_t(p)][std::size_t(r)] = halfTop_[std::size_t(p)][std::size_t(r - 1)]
                    + (std::size_t(r) <= row.size() ? row[std::size_t(r - 1)] / 2.0 : 0.0);
        }
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
            if (addColumns(greedyGroups()))
                continue;
            const Search found = search(roundsWork - work);
            work += found.work;
            result.bound = std::min(result.bound, proven(found));
            if (!addColumns(found.columns)) {
                result.solved = found.unexplored == kNone;
                return result;
            }
        }
        if (!solve())
            return result;
        result.bound = std::min(result.bound, proven(search(work_ - roundsWork)));
        return result;
    }

private:
    struct Column {
        double value;  // at the present prices
        std::vector<int> people;  // ascending
    };
    struct Search {
        double best = 0;  // the highest value of a group found, or 0
        double unexplored = kNone;  // no group left unexplored is worth more than this
        long long work = 0;
        std::vector<Column> columns;  // groups worth adding
    };

    int score(int p, int q) const { return scores_[std::size_t(p) * std::size_t(n_) + std::size_t(q)]; }

    void startingColumns()
    {
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

    void addColumn(const std::vector<int> &people)
    {
        if (!known_.insert(people).second)
            return;
        const int j = glp_add_cols(lp_, 1);
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

    bool addColumns(std::vector<Column> columns)
    {
        std::sort(columns.begin(), columns.end(), [](const Column &a, const Column &b) {
            return a.value != b.value ? a.value > b.value : a.people < b.people;
        });
        const std::size_t before = known_.size();
        for (const Column &c : columns) {
            if (known_.size() - before >= std::size_t(std::max(8, n_ / 2)))
                break;
            addColumn(c.people);
        }
        return known_.size() > before;
    }

    bool solve()
    {
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.msg_lev = GLP_MSG_OFF;
        if (glp_simplex(lp_, &parm) != 0 || glp_get_status(lp_) != GLP_OPT)
            return false;
        for (int p = 0; p < n_; ++p)
            price_[std::size_t(p)] = glp_get_row_dual(lp_, p + 1);
        countPrice_ = std::max(0.0, glp_get_row_dual(lp_, n_ + 1));
        return true;
    }

    // The figure proven by the present prices and what the search found.
    std::int64_t proven(const Search &found) const
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

    // Cheap groups worth adding: from each person, add whoever gains most
    // while that gains.
    std::vector<Column> greedyGroups() const
    {
        std::vector<Column> columns;
        std::vector<double> gain(static_cast<std::size_t>(n_));
        std::vector<char> in(static_cast<std::size_t>(n_));
        for (int seed = 0; seed < n_; ++seed) {
            std::fill(in.begin(), in.end(), 0);
            std::vector<int> people{seed};
            in[std::size_t(seed)] = 1;
            double value = -price_[std::size_t(seed)] - countPrice_;
            for (int p = 0; p < n_; ++p)
                gain[std::size_t(p)] = score(p, seed) - price_[std::size_t(p)];
            while (int(people.size()) < size_) {
                int next = -1;
                for (int p = 0; p < n_; ++p)
                    if (!in[std::size_t(p)] && (next < 0 || gain[std::size_t(p)] > gain[std::size_t(next)]))
                        next = p;
                if (next < 0 || gain[std::size_t(next)] <= 0)
                    break;
                value += gain[std::size_t(next)];
                people.push_back(next);
                in[std::size_t(next)] = 1;
                for (int p = 0; p < n_; ++p)
                    gain[std::size_t(p)] += score(p, next);
            }
            if (value > kGain) {
                std::sort(people.begin(), people.end());
                if (!known_.count(people))
                    columns.push_back({value, people});
            }
        }
        return columns;
    }

    // The group of highest value, by a depth-first search over groups whose
    // people come in a fixed order, cutting a branch when even the most its
    // remaining places could add cannot beat the best found.
    Search search(long long cap) const
    {
        Search s;
        s.work = 0;
        order_.resize(std::size_t(n_));
        for (int p = 0; p < n_; ++p)
            order_[std::size_t(p)] = p;
        auto potential = [&](int p) { return halfTop_[std::size_t(p)][std::size_t(size_ - 1)] - price_[std::size_t(p)]; };
        std::sort(order_.begin(), order_.end(), [&](int a, int b) {
            return potential(a) != potential(b) ? potential(a) > potential(b) : a < b;
        });
        gain_.assign(std::size_t(size_ + 1), std::vector<double>(std::size_t(n_)));
        for (int k = 0; k < n_; ++k)
            gain_[0][std::size_t(k)] = -price_[std::size_t(order_[std::size_t(k)])];
        members_.clear();
        descend(0, -1, -countPrice_, cap, s);
        return s;
    }

    void descend(int depth, int last, double value, long long cap, Search &s) const
    {
        if (depth > 0 && value > s.best) {
            s.best = value;
            if (value > kGain) {
                std::vector<int> people = members_;
                std::sort(people.begin(), people.end());
                s.columns.push_back({value, people});
            }
        }
        const int left = size_ - depth;
        if (left == 0)
            return;
        // The most the remaining places could add: the `left` highest
        // positive hopes, each a person's gain with the members plus half
        // their best scores with the others who might join.
        std::vector<double> top(std::size_t(left), 0.0);
        const std::vector<double> &gain = gain_[std::size_t(depth)];
        for (int k = last + 1; k < n_; ++k) {
            const double hope = gain[std::size_t(k)] + halfTop_[std::size_t(order_[std::size_t(k)])][std::size_t(left - 1)];
            if (hope <= top.back())
                continue;
            auto at = std::upper_bound(top.begin(), top.end(), hope, std::greater<>());
            top.insert(at, hope);
            top.pop_back();
        }
        double most = value;
        for (double t : top)
            most += t;
        if (most <= s.best)
            return;
        s.work += n_ - last;
        if (s.work > cap) {
            s.unexplored = std::max(s.unexplored, most);
            return;
        }
        std::vector<double> &next = gain_[std::size_t(depth + 1)];
        for (int k = last + 1; k < n_; ++k) {
            const int p = order_[std::size_t(k)];
            // Whoever cannot raise the value of any group they join here is
            // left out: the same group without them is searched too.
            if (depth > 0 && gain[std::size_t(k)] + 2 * halfTop_[std::size_t(p)][std::size_t(left - 1)] <= 0)
                continue;
            for (int j = k + 1; j < n_; ++j)
                next[std::size_t(j)] = gain[std::size_t(j)] + score(order_[std::size_t(j)], p);
            members_.push_back(p);
            descend(depth + 1, k, value + gain[std::size_t(k)], cap, s);
            members_.pop_back();
        }
    }

    const std::vector<int> &scores_;
    const long long work_;
    const int n_, groups_, size_;
    std::vector<std::vector<double>> halfTop_;
    std::vector<double> price_;
    double countPrice_ = 0;
    glp_prob *lp_ = nullptr;
    std::set<std::vector<int>> known_;
    // The search's scratch.
    mutable std::vector<int> order_, members_;
    mutable std::vector<std::vector<double>> gain_;
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
