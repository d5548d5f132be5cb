// SPDX-License-Identifier: GPL-3.0-or-later
#include "rounds/GroupingComparison.h"

#include <map>

namespace quorvia {
namespace {

std::map<int, int> groupOfRecord(const std::vector<std::vector<int>> &groups, long long *pairs)
{
    std::map<int, int> groupOf;
    *pairs = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        long long n = 0;
        for (const int record : groups[g]) {
            if (record > 0 && groupOf.emplace(record, int(g)).second)
                ++n;
        }
        *pairs += n * (n - 1) / 2;
    }
    return groupOf;
}

} // namespace

GroupingComparison compareGroupings(const std::vector<std::vector<int>> &here,
                                    const std::vector<std::vector<int>> &there)
{
    GroupingComparison result;
    const std::map<int, int> inHere = groupOfRecord(here, &result.pairsHere);
    const std::map<int, int> inThere = groupOfRecord(there, &result.pairsThere);
    // Shared pairs: per group here, count the people by their group there.
    std::vector<std::map<int, long long>> mix(here.size());
    for (const auto &[record, group] : inHere) {
        const auto found = inThere.find(record);
        if (found != inThere.end())
            ++mix[std::size_t(group)][found->second];
    }
    for (const std::map<int, long long> &counts : mix) {
        for (const auto &[group, n] : counts)
            result.sharedPairs += n * (n - 1) / 2;
    }
    std::map<int, GroupingComparison::Move> moves;
    for (const auto &[record, group] : inHere)
        moves[record] = {record, -1, group};
    for (const auto &[record, group] : inThere) {
        auto &move = moves[record];
        move.record = record;
        move.fromGroup = group;
        if (!inHere.count(record))
            move.toGroup = -1;
    }
    for (const auto &[record, move] : moves) {
        if (move.fromGroup != move.toGroup)
            result.moves.push_back(move);
    }
    return result;
}

} // namespace quorvia
