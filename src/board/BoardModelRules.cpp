// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardModel.h"

#include "arrangement/PoolRules.h"

namespace quorvia {

void BoardModel::checkRulesOnce() const
{
    if (rulesChecked_)
        return;
    rulesChecked_ = true;
    const GroupTable &groups = arrangement_->groups();
    ruleBreakers_.assign(groups.slotRecords.size(), 0);
    brokenByGroup_.assign(std::size_t(std::max(groups.NumGroups, 0)), {});
    if (groups.GroupSize <= 0)
        return;
    for (const RuleStatus &status : arrangement_->rules()->check(groups)) {
        if (status.met)
            continue;
        for (const int slot : status.breakers)
            ruleBreakers_[std::size_t(slot)] = 1;
        for (const int group : status.groups) {
            if (!brokenByGroup_[std::size_t(group)].contains(status.text))
                brokenByGroup_[std::size_t(group)] << status.text;
        }
    }
}

bool BoardModel::breaksRule(Slot at) const
{
    checkRulesOnce();
    const std::size_t index = std::size_t(at.group) * std::size_t(arrangement_->groups().GroupSize) + std::size_t(at.slot);
    return index < ruleBreakers_.size() && ruleBreakers_[index];
}

QStringList BoardModel::rulesBrokenIn(int group) const
{
    checkRulesOnce();
    return group >= 0 && std::size_t(group) < brokenByGroup_.size() ? brokenByGroup_[std::size_t(group)] : QStringList();
}

} // namespace quorvia
