// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// People with traits and positions, and tables of them, for the rules' tests.

#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"
#include "grouping/PoolGenerator.h"
#include "pool/TraitCatalogue.h"
#include "support/PoolFixtures.h"

#include <QtTest>

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

// Random swaps and moves (into a group with room) of people 0..people-1 for
// `steps` steps: each change is the one the penalty predicted; `after` checks more.
template <typename After>
void followRandomMoves(ImprovePenalty &penalty, std::vector<int> &groupOf, int people, int groups, int groupSize,
                       PoolGenerator &random, int steps, After after)
{
    std::vector<int> sizes(std::size_t(groups), 0);
    for (const int g : groupOf)
        sizes[std::size_t(std::max(g, 0))] += g >= 0;
    for (int step = 0; step < steps; ++step) {
        const int a = random.between(0, people - 1);
        const int b = random.between(0, people - 1);
        const int g = random.between(0, groups - 1);
        const long long before = penalty.broken();
        if (groupOf[std::size_t(a)] != groupOf[std::size_t(b)] && random.chance(0.5)) {
            const long long predicted = penalty.swapDelta(a, b);
            const int ga = groupOf[std::size_t(a)];
            penalty.move(a, groupOf[std::size_t(b)]);
            penalty.move(b, ga);
            std::swap(groupOf[std::size_t(a)], groupOf[std::size_t(b)]);
            QCOMPARE(penalty.broken() - before, predicted);
        } else if (groupOf[std::size_t(a)] != g && sizes[std::size_t(g)] < groupSize) {
            const long long predicted = penalty.moveDelta(a, g);
            --sizes[std::size_t(groupOf[std::size_t(a)])];
            ++sizes[std::size_t(g)];
            penalty.move(a, g);
            groupOf[std::size_t(a)] = g;
            QCOMPARE(penalty.broken() - before, predicted);
        }
        after();
        if (QTest::currentTestFailed())
            return;
    }
}

} // namespace quorvia::testing
