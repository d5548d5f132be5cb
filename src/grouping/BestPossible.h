// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"

#include <cstdint>

namespace quorvia {

// How high the total score of any grouping of some people into a slot
// layout (NumGroups groups of at most GroupSize people) can be. The bound is
// proven, not estimated: no grouping scores more. On small pools it is the
// best total itself, found by trying every grouping (`exact`); up to 150
// people in groups of up to 6, fewer in larger groups (partitionBoundUpTo),
// also the linear relaxation of choosing groups (partitionBound), usually
// within a few percent of the best; otherwise, and as
// a cap on that, a relaxation whose figure is lowered by a few hundred
// rounds of exchanging points between the two people of each likely pair.
struct BestPossible {
    std::int64_t bound = 0;
    bool exact = false;
    bool byGroups = false;  // the linear program over groups gave the figure
};

// The people are the table's slots whose HasData is not 0; where they sit
// does not matter, only NumGroups and GroupSize. Deterministic; under a
// second for a thousand people, about two for 32,767 (a few helper threads
// share the rows); safe to call from any thread.
BestPossible bestPossible(const GroupTable &layout);

// Up to this many people the bound is the exact best.
constexpr int kExactBestUpTo = 16;
// Up to this many people the bound is also that of the linear program over
// groups (partitionBound): its cost grows fast with the group size, and
// beyond these it seldom comes close in the time it may take.
constexpr int partitionBoundUpTo(int groupSize)
{
    return groupSize <= 6 ? 150 : groupSize <= 8 ? 80 : groupSize <= 10 ? 60 : 40;
}

} // namespace quorvia
