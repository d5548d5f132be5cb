// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"

#include <functional>
#include <vector>

namespace quorvia {

class ImprovePenalty;

struct ImproveOptions {
    // First spread the people so that group sizes differ by at most one (as
    // far as the locks allow), then improve without unevening them. Spreading
    // can cost score: the total is then only never lower than after it.
    bool evenSizes = false;
    // Slots (group * GroupSize + slot) whose person must stay in their group,
    // in the same slot unless a gap before it closes (people come first); a
    // locked free slot keeps a place free. Empty or shorter than the table: nothing beyond
    // it is locked.
    std::vector<bool> lockedSlots;
    // How much work the search may do (one unit is about one person scored
    // against one group); 0: as much as suits the pool, a few seconds at most.
    long long workBudget = 0;
    // Conditions met before score (not owned; used on the search's thread
    // only). Null: score alone.
    ImprovePenalty *penalty = nullptr;
    // Among groupings equally good on the penalty, prefer a higher lowest
    // group score (over the groups that hold people) to a higher total.
    bool liftWeakest = false;
};

// Called every few milliseconds of work with the work done and the whole
// budget (done never falls, total never changes; at the end done == total
// unless cancelled); returning false stops the search, which then returns the
// best groups found so far. Called on the thread that runs improveGroups.
using ImproveProgress = std::function<bool(long long done, long long total)>;

struct ImproveResult {
    GroupTable groups;
    bool cancelled = false;
};

// Moves people between groups (swaps, moves into free slots) to raise the
// total score of assessGroups. Groupings are ordered by the penalty's
// broken() first (fewer is better), then with liftWeakest by the lowest group
// score, then by the total; the result is never worse in that order than the
// start (after spreading, with evenSizes). Keeps every person exactly once and
// every group's number of slots, keeps locked people in their groups, and is
// deterministic: its budget is counted in work, not time.
// A slot whose HasData is 0 is no person: it counts 0 and may be filled.
// In every group the people fill the first slots and free slots follow; a
// group's people who stay keep their order, newcomers following. When nobody
// moves the table comes back as given.
ImproveResult improveGroups(const GroupTable &start, const ImproveOptions &options,
                            const ImproveProgress &progress = {});

} // namespace quorvia
