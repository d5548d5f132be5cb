// SPDX-License-Identifier: GPL-3.0-or-later
#include "rounds/PairHistory.h"

#include <algorithm>

namespace quorvia {

void PairHistory::addGroups(const std::vector<std::vector<int>> &groups)
{
    for (const std::vector<int> &group : groups) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            for (std::size_t j = i + 1; j < group.size(); ++j) {
                const int a = group[i], b = group[j];
                if (a <= 0 || b <= 0 || a == b || met(a, b))
                    continue;
                partners_[a].push_back(b);
                partners_[b].push_back(a);
                ++pairs_;
            }
        }
    }
}

bool PairHistory::met(int a, int b) const
{
    const auto it = partners_.constFind(a);
    return it != partners_.constEnd() && std::find(it->begin(), it->end(), b) != it->end();
}

std::vector<std::vector<int>> groupsAsRecords(const GroupTable &table, const std::vector<int> &recordNumbers)
{
    std::vector<std::vector<int>> groups(std::size_t(std::max(table.NumGroups, 0)));
    for (int g = 0; g < table.NumGroups; ++g) {
        for (int s = 0; s < table.GroupSize; ++s) {
            const std::size_t i = std::size_t(g) * std::size_t(table.GroupSize) + std::size_t(s);
            if (i < recordNumbers.size() && recordNumbers[i] > 0)
                groups[std::size_t(g)].push_back(recordNumbers[i]);
        }
    }
    return groups;
}

RepeatCount countRepeats(const GroupTable &table, const std::vector<int> &recordNumbers, const PairHistory &history)
{
    RepeatCount count;
    count.perGroup.assign(std::size_t(std::max(table.NumGroups, 0)), 0);
    count.perSlot.assign(table.slotRecords.size(), 0);
    if (history.isEmpty() || table.GroupSize <= 0)
        return count;
    // The group of every record, so that each person's partners are looked
    // up directly: a group of the whole pool must not be quadratic.
    const int highest = recordNumbers.empty() ? 0 : *std::max_element(recordNumbers.begin(), recordNumbers.end());
    std::vector<int> groupOf(std::size_t(std::max(highest, 0)) + 1, -1);
    const std::size_t slotCount = std::min(recordNumbers.size(), table.slotRecords.size());
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (recordNumbers[i] > 0)
            groupOf[std::size_t(recordNumbers[i])] = int(i / std::size_t(table.GroupSize));
    }
    for (std::size_t i = 0; i < slotCount; ++i) {
        const int a = recordNumbers[i];
        if (a <= 0)
            continue;
        const int g = int(i / std::size_t(table.GroupSize));
        for (const int b : history.partnersOf(a)) {
            if (b > highest || groupOf[std::size_t(b)] != g)
                continue;
            count.perSlot[i] = 1;
            if (a < b) {
                ++count.perGroup[std::size_t(g)];
                ++count.total;
            }
        }
    }
    return count;
}

} // namespace quorvia
