#pragma once

#include "grouping/GroupTable.h"

#include <functional>
#include <vector>

namespace quorvia {

struct ImproveOptions {
    // First spread the people so that group sizes differ by at most one.
    bool evenSizes = false;
    // Slots (group * GroupSize + slot) whose person must stay where they are;
    // empty or shorter than the table: nothing beyond it is locked.
    std::vector<bool> lockedSlots;
    // How much work the search may do (one unit is about one person scored
    // against one group); 0: as much as suits the pool, a few seconds at most.
    long long workBudget = 0;
};

// Called now and then with the work done and the whole budget; returning false
// stops the search, which then returns the best groups found so far.
using ImproveProgress = std::function<bool(long long done, long long total)>;

struct ImproveResult {
    GroupTable groups;
    bool cancelled = false;
};

// Moves people between groups (swaps, moves into free slots) to raise the
// total score of assessGroups. Never lowers it, keeps every person exactly
// once and every group's number of slots, leaves locked people in their
// slots, and is deterministic: its budget is counted in work, not time.
// In every group the people fill the first slots; free slots follow.
ImproveResult improveGroups(const GroupTable &start, const ImproveOptions &options,
                            const ImproveProgress &progress = {});

} // namespace quorvia
