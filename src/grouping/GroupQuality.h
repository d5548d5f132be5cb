// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "grouping/TraitMasks.h"
#include "pool/ProfileRecord.h"

#include <QStringList>

#include <cstdint>
#include <vector>

namespace quorvia {

// How well the groups of a table fit. A person is a slot whose HasData is not
// 0; every other slot counts 0. A group's score is the sum of
// CompatibilityScore over every unordered pair of its people; a pair that
// scores below 0 is a conflict.
struct GroupFit {
    int people = 0;
    std::int64_t score = 0;
    int conflicts = 0;
};

struct QualityReport {
    std::vector<GroupFit> groups;  // one per group, in group order
    GroupFit total;
    // No grouping of the same people into groups of the same sizes can score
    // more: half the sum, over every person p, of p's largest (s - 1) scores
    // against all the other people, s being the size of p's group.
    std::int64_t bound = 0;
    // total.score as a percentage of the bound; 100 when the bound is 0 or less.
    double percentOfBound = 100.0;
};

// A score as a percentage of a bound; 100 when the bound is 0 or less.
double percentOf(std::int64_t score, std::int64_t bound);

// Exact whole numbers, in a few tenths of a second for 32,767 people (a few
// helper threads share the bound's rows for large pools; safe to call from any
// thread).
QualityReport assessGroups(const GroupTable &groups);

// The score of the person in `slot` against the other people of their group.
int memberScore(const GroupTable &groups, int group, int slot);

// Which traits make the score of a pair, one line per point, for example
// "Ann works well with Diligent, which Bob has: +1". Names are the people's
// first names, or their last names when the first is blank.
QStringList explainPair(const ProfileRecord &a, const ProfileRecord &b);

namespace grouping {
// The fit of one group's people.
GroupFit fitOfMembers(const std::vector<TraitMasks> &members);
} // namespace grouping

} // namespace quorvia
