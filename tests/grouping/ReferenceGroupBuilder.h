#pragma once

// The group builder written as plainly as its rules read: every score from
// scratch flag by flag, the remaining people kept in an array from which the
// chosen one is removed by moving the later ones down, the sizing in double
// precision, and every non-full group rescored slot by slot for every person.
// Slow on purpose: it is the yardstick the fast builder is checked and timed
// against, so it must stay a line-by-line rendering of the rules, not clever.

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <cmath>
#include <vector>

namespace quorvia::reference {

inline bool FlagSet(std::int16_t flag) { return flag == -1; }

inline int CompatibilityScore(const ProfileRecord &A, const ProfileRecord &B)
{
    int score = 0;
    for (std::size_t t = 0; t <= 21; ++t) {
        if (FlagSet(A.CompatibleWith[t]) && FlagSet(B.OwnAttributes[t]))
            score = score + 1;
        if (FlagSet(A.IncompatibleWith[t]) && FlagSet(B.OwnAttributes[t]))
            score = score - 1;
        if (FlagSet(A.OwnAttributes[t]) && FlagSet(B.CompatibleWith[t]))
            score = score + 1;
        if (FlagSet(A.OwnAttributes[t]) && FlagSet(B.IncompatibleWith[t]))
            score = score - 1;
    }
    return score;
}

inline int FlagCount(const ProfileRecord &r)
{
    int count = 0;
    for (std::size_t t = 0; t <= 21; ++t) {
        if (FlagSet(r.OwnAttributes[t]))
            count = count + 1;
        if (FlagSet(r.CompatibleWith[t]))
            count = count + 1;
        if (FlagSet(r.IncompatibleWith[t]))
            count = count + 1;
    }
    return count;
}

// Seed choice and chain building. Takes SelectedPeople by value because the
// chain consumes it.
inline std::vector<ProfileRecord> OrderPeople(std::vector<ProfileRecord> SelectedPeople)
{
    const int n = int(SelectedPeople.size());
    ProfileRecord SeedProfile;
    bool first = true;
    int bestCount = 0;
    int seedIndex = 0;
    for (int j = 0; j <= n - 1; ++j) {
        const int count = FlagCount(SelectedPeople[std::size_t(j)]);
        if (first || count > bestCount) {
            first = false;
            bestCount = count;
            SeedProfile = SelectedPeople[std::size_t(j)];
            seedIndex = j;
        }
    }

    std::vector<ProfileRecord> OrderedPeople(static_cast<std::size_t>(n));
    OrderedPeople[0] = SeedProfile;
    if (n == 1)
        return OrderedPeople;
    for (int i = seedIndex + 1; i <= n - 1; ++i)
        SelectedPeople[std::size_t(i - 1)] = SelectedPeople[std::size_t(i)];
    SelectedPeople.resize(std::size_t(n - 1));

    for (int k = 0; k <= n - 2; ++k) {
        bool firstCandidate = true;
        int bestScore = 0;
        int bestIndex = 0;
        ProfileRecord BestCandidate;
        const int u = int(SelectedPeople.size()) - 1;
        for (int CandidateIndex = 0; CandidateIndex <= u; ++CandidateIndex) {
            const int s = reference::CompatibilityScore(OrderedPeople[std::size_t(k)], SelectedPeople[std::size_t(CandidateIndex)]);
            if (firstCandidate || s > bestScore) {
                firstCandidate = false;
                bestScore = s;
                BestCandidate = SelectedPeople[std::size_t(CandidateIndex)];
                bestIndex = CandidateIndex;
            }
        }
        OrderedPeople[std::size_t(k + 1)] = BestCandidate;
        const int upper = int(SelectedPeople.size()) - 1;
        for (int i = bestIndex + 1; i <= upper; ++i)
            SelectedPeople[std::size_t(i - 1)] = SelectedPeople[std::size_t(i)];
        if (upper > 0)
            SelectedPeople.resize(std::size_t(upper));
    }
    return OrderedPeople;
}

struct Sizing {
    int NumGroups = 0;
    int GroupSize = 0;
};

inline Sizing SizeGroups(bool amountChosen, double v, int n)
{
    Sizing sizing;
    if (amountChosen) {
        sizing.GroupSize = int(std::floor(double(n) / v));
        if (sizing.GroupSize * v < n)
            sizing.GroupSize = sizing.GroupSize + 1;
        sizing.NumGroups = int(std::nearbyint(v));
    } else {
        sizing.NumGroups = int(std::floor(double(n) / v));
        if (sizing.NumGroups * v < n)
            sizing.NumGroups = sizing.NumGroups + 1;
        sizing.GroupSize = int(std::nearbyint(v));
    }
    return sizing;
}

inline GroupTable DealPeople(const std::vector<ProfileRecord> &OrderedPeople, Sizing sizing)
{
    const int n = int(OrderedPeople.size());
    GroupTable Groups;
    Groups.NumGroups = sizing.NumGroups;
    Groups.GroupSize = sizing.GroupSize;
    Groups.slotRecords.assign(std::size_t(sizing.NumGroups) * std::size_t(sizing.GroupSize), ProfileRecord{});

    Groups.at(0, 0) = OrderedPeople[0];
    for (int i = 1; i <= n - 1; ++i) {
        bool first = true;
        int bestScore = 0;
        int bestGroup = 0;
        int bestSlot = 0;
        for (int g = 0; g <= Groups.NumGroups - 1; ++g) {
            int GroupScore = 0;
            int freeSlot = -1;
            for (int s = 0; s <= Groups.GroupSize - 1; ++s) {
                if (Groups.at(g, s).HasData == 0) {
                    freeSlot = s;
                    break;
                }
            }
            if (freeSlot < 0)
                continue;
            for (int k = 0; k <= Groups.GroupSize - 1; ++k)
                GroupScore = GroupScore + reference::CompatibilityScore(OrderedPeople[std::size_t(i)], Groups.at(g, k));
            if (first || GroupScore > bestScore) {
                first = false;
                bestScore = GroupScore;
                bestGroup = g;
                bestSlot = freeSlot;
            }
        }
        Groups.at(bestGroup, bestSlot) = OrderedPeople[std::size_t(i)];
    }
    return Groups;
}

// Calculate's work for n >= 1 selected people and a size value >= 1.
inline GroupTable BuildGroups(const std::vector<ProfileRecord> &SelectedPeople, bool amountChosen, int value)
{
    const Sizing sizing = SizeGroups(amountChosen, double(value), int(SelectedPeople.size()));
    return DealPeople(OrderPeople(SelectedPeople), sizing);
}

} // namespace quorvia::reference
