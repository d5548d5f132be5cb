// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the group builder: a person's trait flags as bit masks.

#include "pool/ProfileRecord.h"

#include <bitset>
#include <cstdint>

namespace quorvia::grouping {

// Bit t set when flag t holds True; any other word is "not set".
inline std::uint32_t setBits(const TraitFlags &flags)
{
    std::uint32_t bits = 0;
    for (int t = 0; t < kTraitCount; ++t) {
        if (isSet(flags[std::size_t(t)]))
            bits |= std::uint32_t(1) << t;
    }
    return bits;
}

struct TraitMasks {
    std::uint32_t own = 0;
    std::uint32_t compatible = 0;
    std::uint32_t incompatible = 0;

    explicit TraitMasks(const ProfileRecord &r)
        : own(setBits(r.OwnAttributes)), compatible(setBits(r.CompatibleWith)),
          incompatible(setBits(r.IncompatibleWith))
    {
    }
    int flagCount() const
    {
        return int(std::bitset<32>(own).count() + std::bitset<32>(compatible).count()
                   + std::bitset<32>(incompatible).count());
    }
};

// CompatibilityScore from masks: a point for every trait one has and the other
// works well with, minus one for every trait one has and the other does not.
inline int pairScore(const TraitMasks &x, const TraitMasks &y)
{
    auto count = [](std::uint32_t bits) { return int(std::bitset<32>(bits).count()); };
    return count(x.compatible & y.own) - count(x.incompatible & y.own) + count(x.own & y.compatible)
        - count(x.own & y.incompatible);
}

// Best-first search keys: the higher score wins, then the lower index (the
// earlier in list order, the lower-numbered group).
inline std::int64_t searchKey(int score, int index) { return std::int64_t(score) * (std::int64_t(1) << 32) - index; }

} // namespace quorvia::grouping
