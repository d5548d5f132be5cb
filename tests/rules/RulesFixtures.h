// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// People with traits and positions, and tables of them, for the rules' tests.

#include "grouping/GroupTable.h"
#include "pool/TraitCatalogue.h"
#include "support/PoolFixtures.h"

#include <vector>

namespace quorvia::testing {

constexpr int kExpert = 20;
constexpr int kBeginner = 21;

// The records in slot order; a slot of -1 stays free.
inline GroupTable tableOf(const std::vector<ProfileRecord> &records, int groupSize, const std::vector<int> &slotRecord)
{
    GroupTable table;
    table.GroupSize = groupSize;
    table.NumGroups = int(slotRecord.size()) / groupSize;
    for (const int number : slotRecord)
        table.slotRecords.push_back(number > 0 ? records[std::size_t(number - 1)] : ProfileRecord{});
    return table;
}

inline std::vector<int> allNumbers(const std::vector<ProfileRecord> &records)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < records.size(); ++i)
        numbers.push_back(int(i + 1));
    return numbers;
}

} // namespace quorvia::testing
