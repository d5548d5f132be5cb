// SPDX-License-Identifier: GPL-3.0-or-later
#include "rounds/RepeatPairsPenalty.h"

#include <QHash>

#include <algorithm>

namespace quorvia {

RepeatPairsPenalty::RepeatPairsPenalty(const GroupTable &start, const std::vector<int> &recordNumbers,
                                       const PairHistory &history)
    : partners_(start.slotRecords.size())
{
    QHash<int, int> slotOfRecord;
    const std::size_t slotCount = std::min(recordNumbers.size(), start.slotRecords.size());
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (recordNumbers[i] > 0)
            slotOfRecord.insert(recordNumbers[i], int(i));
    }
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (recordNumbers[i] <= 0)
            continue;
        for (const int record : history.partnersOf(recordNumbers[i])) {
            const int other = slotOfRecord.value(record, -1);
            if (other >= 0)
                partners_[i].push_back(other);
        }
    }
}

void RepeatPairsPenalty::reset(const std::vector<int> &groupOf, int)
{
    groupOf_ = groupOf;
    groupOf_.resize(partners_.size(), -1);
    broken_ = 0;
    for (std::size_t p = 0; p < partners_.size(); ++p) {
        if (groupOf_[p] < 0)
            continue;
        for (const int q : partners_[p])
            broken_ += int(std::size_t(q) > p && groupOf_[std::size_t(q)] == groupOf_[p]);
    }
}

int RepeatPairsPenalty::partnersIn(int p, int g) const
{
    int count = 0;
    for (const int q : partners_[std::size_t(p)])
        count += int(groupOf_[std::size_t(q)] == g);
    return count;
}

bool RepeatPairsPenalty::partners(int a, int b) const
{
    const std::vector<int> &list = partners_[std::size_t(a)];
    return std::find(list.begin(), list.end(), b) != list.end();
}

long long RepeatPairsPenalty::moveDelta(int p, int g) const
{
    if (partners_[std::size_t(p)].empty())
        return 0;
    return partnersIn(p, g) - partnersIn(p, groupOf_[std::size_t(p)]);
}

long long RepeatPairsPenalty::swapDelta(int a, int b) const
{
    const int ga = groupOf_[std::size_t(a)];
    const int gb = groupOf_[std::size_t(b)];
    // Each joins the other's group without the other in it.
    const int between = partners(a, b) ? 1 : 0;
    return (partnersIn(a, gb) - between - partnersIn(a, ga)) + (partnersIn(b, ga) - between - partnersIn(b, gb));
}

void RepeatPairsPenalty::move(int p, int g)
{
    broken_ += moveDelta(p, g);
    groupOf_[std::size_t(p)] = g;
}

std::vector<int> RepeatPairsPenalty::culprits() const
{
    std::vector<int> people;
    if (broken_ == 0)
        return people;
    for (std::size_t p = 0; p < partners_.size(); ++p) {
        if (groupOf_[p] >= 0 && partnersIn(int(p), groupOf_[p]) > 0)
            people.push_back(int(p));
    }
    return people;
}

} // namespace quorvia
