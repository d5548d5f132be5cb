// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"

#include <QHash>

#include <vector>

namespace quorvia {

// Who has met whom: pairs of pool record numbers that shared a group in
// earlier groupings (rounds, saved groups).
class PairHistory {
public:
    // Every pair within each group; a group is a list of record numbers (0s,
    // free slots, are skipped).
    void addGroups(const std::vector<std::vector<int>> &groups);
    bool met(int a, int b) const;
    bool isEmpty() const { return partners_.isEmpty(); }
    // The earlier partners of a record, each once.
    std::vector<int> partnersOf(int record) const { return partners_.value(record); }
    long long pairCount() const { return pairs_; }

private:
    QHash<int, std::vector<int>> partners_;
    long long pairs_ = 0;
};

// The groups of a table as record numbers (`recordNumbers` per slot, as
// recordNumbersOf gives them), free slots left out.
std::vector<std::vector<int>> groupsAsRecords(const GroupTable &table, const std::vector<int> &recordNumbers);

// Pairs in the current groups that met before: per group, in total, and per
// slot whether its person met someone of the group before.
struct RepeatCount {
    std::vector<int> perGroup;
    std::vector<char> perSlot;
    long long total = 0;
};
RepeatCount countRepeats(const GroupTable &table, const std::vector<int> &recordNumbers, const PairHistory &history);

} // namespace quorvia
