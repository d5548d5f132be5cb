// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace quorvia {

// A proven upper bound on the best total of any grouping of n people into
// at most `groups` groups of at most `groupSize` people each, where a
// group's score is the sum of its pairs' scores. `scores` is n x n, row by
// row, symmetric; the diagonal is ignored. A pair that must never share a
// group can be given a negative score: the figure then bounds the groupings
// that keep them apart whatever the score, and the more negative, the closer
// (keep it above -2^40 / n^2, so sums stay exact in a double).
//
// The bound is the linear relaxation of choosing groups (each person in
// exactly one chosen group), its groups found as they are needed. Whatever
// the state of that search, the figure comes from its prices and the best
// group at those prices, so it is valid even when the work runs out.
// Deterministic; the work is capped, not the time.
struct PartitionBound {
    std::int64_t bound = 0;
    bool solved = false;  // the relaxation was solved to the end
};

// `work` caps the search for groups, in steps of the search (a person looked
// at): with the default, 60 people in groups of 5 take about a twentieth of
// a second, 150 in groups of 6 up to two, 40 in three groups about one.
// Less work may give a higher figure, never a wrong one.
constexpr long long kPartitionWork = 300'000'000;
PartitionBound partitionBound(const std::vector<int> &scores, int n, int groups, int groupSize,
                              long long work = kPartitionWork);

} // namespace quorvia
