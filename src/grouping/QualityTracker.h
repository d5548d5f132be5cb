// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupQuality.h"
#include "grouping/GroupTable.h"
#include "grouping/PairScan.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quorvia {

// The quality of groups that change by hand, one person at a time: always the
// same figures as assessGroups of the same table, but a move or a swap costs
// a scan of the two groups touched instead of everybody against everybody.
//
// Only a person's group size enters the bound, so each person keeps the
// counts around the highest of their scores against all the people (taken at
// reset); a new group size is read off them, and only a person whose group
// size drifts far from the one counted for has their row scored again.
//
// People are numbered 0, 1, ... in slot order of the table given to reset;
// moves and swaps name them by that number.
class QualityTracker {
public:
    QualityTracker() = default;

    // As costly as assessGroups (helper threads for large pools). With
    // `slotPeople`: per slot of the table, the number of its person, -1 when free.
    void reset(const GroupTable &groups, std::vector<int> *slotPeople = nullptr);
    // The same people in another arrangement of slots (Improve, or undoing
    // it), without scoring everybody again. False when the people are not
    // the same: nothing changes then.
    bool rearrange(const GroupTable &groups, std::vector<int> *slotPeople);

    // `person` leaves their group for `toGroup` (a group of the same table).
    void move(int person, int toGroup);
    // Two people in different groups change places.
    void swap(int a, int b);

    const QualityReport &report() const { return report_; }

private:
    int pairScore(int a, int b) const;
    void place(int person, int group);
    void remove(int person);
    // Re-reads the person's share of the bound for the size of their group.
    void updateTerm(int person);
    void finish();

    std::vector<grouping::TraitMasks> masks_;  // per person
    std::unique_ptr<grouping::PairScan> scan_;  // everybody, by person number
    std::vector<grouping::PairScan::RankWindow> windows_;
    std::vector<std::int64_t> terms_;  // per person: the sum of their (group size - 1) highest scores
    std::vector<int> groupOf_;
    std::vector<int> positionOf_;  // in members_ of their group
    std::vector<std::vector<int>> members_;  // per group
    std::int64_t twiceBound_ = 0;
    grouping::PairScan::Row row_;
    QualityReport report_;
};

} // namespace quorvia
