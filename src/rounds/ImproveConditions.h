// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/CombinedPenalty.h"
#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"
#include "rules/RulesPenalty.h"

#include <memory>

namespace quorvia {

// What Improve meets before it raises the score: the rules first, then
// earlier partners kept apart (a rule outweighs any number of repeated
// pairs). Owns both parts, either of which may be null; the windows and the
// command line build it alike.
class ImproveConditions {
public:
    ImproveConditions(const GroupTable &start, std::unique_ptr<RulesPenalty> rules,
                      std::unique_ptr<ImprovePenalty> repeats);
    ImproveConditions(const ImproveConditions &) = delete;
    ImproveConditions &operator=(const ImproveConditions &) = delete;

    // For ImproveOptions::penalty: null when there is nothing to meet.
    ImprovePenalty *penalty();

private:
    std::unique_ptr<RulesPenalty> rules_;
    std::unique_ptr<ImprovePenalty> repeats_;
    CombinedPenalty combined_;
};

} // namespace quorvia
