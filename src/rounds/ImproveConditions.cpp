// SPDX-License-Identifier: GPL-3.0-or-later
#include "rounds/ImproveConditions.h"

#include <utility>

namespace quorvia {
namespace {

// Rules with nothing to meet are left out, so Improve runs as without them.
std::unique_ptr<RulesPenalty> withConditions(std::unique_ptr<RulesPenalty> rules)
{
    return rules && !rules->isEmpty() ? std::move(rules) : nullptr;
}

} // namespace

ImproveConditions::ImproveConditions(const GroupTable &start, std::unique_ptr<RulesPenalty> rules,
                                     std::unique_ptr<ImprovePenalty> repeats)
    : rules_(withConditions(std::move(rules))),
      repeats_(std::move(repeats)),
      combined_({{rules_.get(), repeats_ ? CombinedPenalty::outweighing(start) : 1}, {repeats_.get(), 1}})
{
}

ImprovePenalty *ImproveConditions::penalty() { return combined_.empty() ? nullptr : &combined_; }

} // namespace quorvia
