// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"
#include "rounds/PairHistory.h"

#include <vector>

namespace quorvia {

// For Improve: every pair in one group whose people met before is one broken
// condition. Built for the table Improve starts from; `recordNumbers` gives
// the pool record of each of its slots.
class RepeatPairsPenalty : public ImprovePenalty {
public:
    RepeatPairsPenalty(const GroupTable &start, const std::vector<int> &recordNumbers, const PairHistory &history);

    void reset(const std::vector<int> &groupOf, int numGroups) override;
    long long broken() const override { return broken_; }
    long long moveDelta(int p, int g) const override;
    long long swapDelta(int a, int b) const override;
    void move(int p, int g) override;
    std::vector<int> culprits() const override;

private:
    // How many of p's earlier partners are in group g now.
    int partnersIn(int p, int g) const;
    bool partners(int a, int b) const;

    std::vector<std::vector<int>> partners_;  // per person (slot number): earlier partners, by slot number
    std::vector<int> groupOf_;
    long long broken_ = 0;
};

} // namespace quorvia
