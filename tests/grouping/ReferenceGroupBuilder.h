// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The group builder written as plainly as its rules read: every score from
// scratch flag by flag, the remaining people kept in an array from which the
// chosen one is removed, the later ones moving down, the sizing in double
// precision, and every non-full group rescored slot by slot for every person.
// Slow on purpose: it is the yardstick the fast builder is checked and timed
// against, so it must stay a line-by-line rendering of the rules, not clever.

#include "grouping/GroupTable.h"

#include <cmath>

namespace quorvia::reference {

inline bool FlagSet(std::int16_t flag) { return flag == -1; }

// One term per rule: +1 or -1 when both flags are set.
inline int CompatibilityScore(const ProfileRecord &A, const ProfileRecord &B)
{
    int score = 0;
    for (int t = 0; t <= 21; ++t)
        score = score + (FlagSet(A.CompatibleWith[t]) && FlagSet(B.OwnAttributes[t]))
            - (FlagSet(A.IncompatibleWith[t]) && FlagSet(B.OwnAttributes[t]))
            + (FlagSet(A.OwnAttributes[t]) && FlagSet(B.CompatibleWith[t]))
            - (FlagSet(A.OwnAttributes[t]) && FlagSet(B.IncompatibleWith[t]));
    return score;
}

// Seed choice and chain building; the chain consumes SelectedPeople.
inline std::vector<ProfileRecord> OrderPeople(std::vector<ProfileRecord> SelectedPeople)
{
    const int n = int(SelectedPeople.size());
    ProfileRecord SeedProfile;
    int bestCount = 0, seedIndex = 0;
    for (int j = 0; j <= n - 1; ++j) {
        const ProfileRecord &r = SelectedPeople[j];
        int count = 0;
        for (int t = 0; t <= 21; ++t)
            count = count + FlagSet(r.OwnAttributes[t]) + FlagSet(r.CompatibleWith[t]) + FlagSet(r.IncompatibleWith[t]);
        if (j == 0 || count > bestCount) {
            bestCount = count;
            SeedProfile = r;
            seedIndex = j;
        }
    }
    std::vector<ProfileRecord> OrderedPeople(n);
    OrderedPeople[0] = SeedProfile;
    SelectedPeople.erase(SelectedPeople.begin() + seedIndex);  // the later ones move down by one

    for (int k = 0; k <= n - 2; ++k) {
        int bestScore = 0, bestIndex = 0;
        ProfileRecord BestCandidate;
        const int u = int(SelectedPeople.size()) - 1;
        for (int CandidateIndex = 0; CandidateIndex <= u; ++CandidateIndex) {
            const int s = reference::CompatibilityScore(OrderedPeople[k], SelectedPeople[CandidateIndex]);
            if (CandidateIndex == 0 || s > bestScore) {
                bestScore = s;
                BestCandidate = SelectedPeople[CandidateIndex];
                bestIndex = CandidateIndex;
            }
        }
        OrderedPeople[k + 1] = BestCandidate;
        SelectedPeople.erase(SelectedPeople.begin() + bestIndex);
    }
    return OrderedPeople;
}

struct Sizing { int NumGroups = 0, GroupSize = 0; };

// The option's own number is the box value; the other one is worked out the same way for both.
inline Sizing SizeGroups(bool amountChosen, double v, int n)
{
    int other = int(std::floor(double(n) / v));
    if (other * v < n)
        other = other + 1;
    const int given = int(std::nearbyint(v));
    return amountChosen ? Sizing{given, other} : Sizing{other, given};
}

inline GroupTable DealPeople(const std::vector<ProfileRecord> &OrderedPeople, Sizing sizing)
{
    GroupTable Groups{sizing.NumGroups, sizing.GroupSize, {}};
    Groups.slotRecords.resize(std::size_t(sizing.NumGroups) * std::size_t(sizing.GroupSize));
    Groups.at(0, 0) = OrderedPeople[0];
    for (int i = 1; i <= int(OrderedPeople.size()) - 1; ++i) {
        bool first = true;
        int bestScore = 0, bestGroup = 0, bestSlot = 0;
        for (int g = 0; g <= Groups.NumGroups - 1; ++g) {
            int GroupScore = 0, freeSlot = -1;
            for (int s = 0; s <= Groups.GroupSize - 1 && freeSlot < 0; ++s) {
                if (Groups.at(g, s).HasData == 0)
                    freeSlot = s;
            }
            if (freeSlot < 0)
                continue;
            for (int k = 0; k <= Groups.GroupSize - 1; ++k)
                GroupScore = GroupScore + reference::CompatibilityScore(OrderedPeople[i], Groups.at(g, k));
            if (first || GroupScore > bestScore) {
                first = false;
                bestScore = GroupScore;
                bestGroup = g;
                bestSlot = freeSlot;
            }
        }
        Groups.at(bestGroup, bestSlot) = OrderedPeople[i];
    }
    return Groups;
}

// Calculate's work for n >= 1 selected people and a size value >= 1.
inline GroupTable BuildGroups(const std::vector<ProfileRecord> &SelectedPeople, bool amountChosen, int value)
{
    return DealPeople(OrderPeople(SelectedPeople), SizeGroups(amountChosen, double(value), int(SelectedPeople.size())));
}

} // namespace quorvia::reference
