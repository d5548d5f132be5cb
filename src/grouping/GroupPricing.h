// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <limits>
#include <vector>

namespace quorvia::grouping {

// The search for the groups worth most at given prices, for the linear
// program over groups (PartitionBound.cpp). A group of `least` to `size`
// people is worth the sum of its pairs' scores, less its people's prices and
// the count price.
class GroupPricing {
public:
    struct Group {
        double value;
        std::vector<int> people;  // ascending
    };
    struct Found {
        double best = 0;  // the highest value of a group found, or 0
        // No group left unexplored (the work ran out) is worth more than this.
        double unexplored = -std::numeric_limits<double>::infinity();
        long long work = 0;
        std::vector<Group> groups;  // groups worth more than `minimum`
    };

    // `scores` is n x n, row by row, symmetric; it must outlive the search.
    GroupPricing(const std::vector<int> &scores, int n, int least, int size);

    void setPrices(const std::vector<double> &price, double countPrice);

    // Cheap: from each start, the best single change (add, drop, or swap one
    // person) again and again while it gains. Adds its work to `work`.
    std::vector<Group> improveFrom(const std::vector<std::vector<int>> &starts, double minimum, long long &work) const;

    // Exact: every group, a branch cut when even the most its remaining
    // places could add cannot beat the best found. Stops after `cap` work,
    // reporting what it left unexplored.
    Found exact(long long cap, double minimum) const;

private:
    int score(int p, int q) const { return scores_[std::size_t(p) * std::size_t(n_) + std::size_t(q)]; }
    void explore(int depth, double value, long long cap, double minimum, Found &found) const;

    const std::vector<int> &scores_;
    const int n_, least_, size_;
    std::vector<double> price_;
    double countPrice_ = 0;
    // Each person's scores, highest first, with whom.
    std::vector<std::vector<std::pair<int, int>>> byScore_;
    // The exact search's scratch, one level per member.
    mutable std::vector<int> members_;
    mutable std::vector<std::vector<double>> gain_;
    mutable std::vector<std::vector<int>> candidates_;
    mutable std::vector<std::vector<std::pair<double, int>>> hopes_;
    mutable std::vector<char> isCandidate_;
};

} // namespace quorvia::grouping
