// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace quorvia {

// A proven upper bound on the best total of any grouping of n people into
// at most `groups` groups of at most `groupSize` people each, where a
// group's score is the sum of its pairs' scores. `scores` is n x n, row by
// row, symmetric; the diagonal is ignored. A pair that must never share a
// group can be given a very negative score (no lower than -2^40 / n^2, so
// sums stay exact in a double).
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

PartitionBound partitionBound(const std::vector<int> &scores, int n, int groups, int groupSize);

} // namespace quorvia
