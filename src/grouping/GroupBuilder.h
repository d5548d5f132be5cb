// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <QString>

#include <vector>

namespace quorvia {

// How well two people suit each other, from -44 to +44 and symmetric: a point
// for every trait one of them has and the other works well with, minus a point
// for every trait one has and the other does not work well with. A flag counts
// only when it holds True (-1).
int CompatibilityScore(const ProfileRecord &a, const ProfileRecord &b);

enum class SizeOption { AmountOfGroups, PeoplePerGroup };

// The number a size box stands for: its leading digits (blanks, tabs and line
// feeds ignored), 0 when it has none. The user types at most three digits
// (kMaxSizeValue), but the per-group default writes the selection count into
// the box, and the next Calculate must read it back as it stands, however
// large the pool; only what no pool could reach saturates at kMaxBoxValue, so
// the arithmetic never overflows.
constexpr int kMaxSizeValue = 999;
constexpr int kMaxBoxValue = 1000000000;
int sizeBoxValue(const QString &text);

// The value Calculate works with when the box's value is 0: one group, or
// everybody selected in one group. `selectedCount` is the count after the
// selection default.
int defaultedSizeValue(SizeOption option, int value, int selectedCount);

struct GroupSizing {
    int NumGroups = 0;
    int GroupSize = 0;
};

// The given number is used as it is and the other one is the smallest whole
// number not below n / value, so there is always room for everybody. `value`
// below 1 is taken as 1.
GroupSizing sizeGroups(SizeOption option, int value, int n);

// The order in which the people are dealt: the one with the most trait flags
// first (the first in list order on a tie), then each time the remaining
// person who scores highest against the one placed last (again the first in
// list order on a tie). Returns indexes into `people`.
std::vector<int> compatibilityChain(const std::vector<ProfileRecord> &people);

// Deals `people`, taken in `chain` order, into the groups of `sizing`: the
// head into group 1, every further person into the group, among those with a
// free slot, whose present slots score highest for them (the lowest-numbered
// group on a tie), in its lowest free slot. A record whose HasData is 0 sits in
// its slot without taking it: the next person dealt into that group replaces it.
GroupTable dealIntoGroups(const std::vector<ProfileRecord> &people, const std::vector<int> &chain,
                          GroupSizing sizing);

// Everything Calculate does with the selected people (in list order) once the
// size value has its default (>= 1): sizing, chain and dealing. With nobody
// selected the table has its size and only empty slots.
GroupTable buildGroups(const std::vector<ProfileRecord> &selected, SizeOption option, int value);

namespace detail {
// The dealing with 32-bit per-group counts, which the builder only needs for
// groups of more than 32,767 slots; exposed so that tests can cover it.
GroupTable dealIntoGroupsWide(const std::vector<ProfileRecord> &people, const std::vector<int> &chain,
                              GroupSizing sizing);

// The ways the chain can be searched: plain 64-bit arithmetic that runs
// anywhere, the processor's population count, and 32 people at a time with
// AVX2 byte shuffles. compatibilityChain takes the fastest the processor has;
// all give the same chain, and tests run each one that is available.
enum class ChainMethod { Portable, Popcount, Vector };
bool chainMethodAvailable(ChainMethod method);
std::vector<int> compatibilityChain(const std::vector<ProfileRecord> &people, ChainMethod method);
} // namespace detail

} // namespace quorvia
