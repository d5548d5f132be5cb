// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace quorvia {

// Two groupings of (partly) the same people, each as groups of record numbers.
struct GroupingComparison {
    long long pairsHere = 0;   // pairs within the groups of the first grouping
    long long pairsThere = 0;  // ... of the second
    long long sharedPairs = 0; // pairs together in both
    struct Move {
        int record = 0;
        int fromGroup = -1;  // in the second grouping, -1: not in it
        int toGroup = -1;    // in the first, -1: not in it
    };
    // Everyone whose group number differs, in record order.
    std::vector<Move> moves;
};

GroupingComparison compareGroupings(const std::vector<std::vector<int>> &here,
                                    const std::vector<std::vector<int>> &there);

} // namespace quorvia
