// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <cstddef>
#include <vector>

namespace quorvia {

// A slot holds a person when its record's HasData is not 0; any other record
// (all zeros, or one a damaged file left without data) is a free slot.
inline bool isPerson(const ProfileRecord &r) { return r.HasData != 0; }

// The groups of one Calculate: NumGroups groups of GroupSize slots each.
// A slot holds a full copy of a record; an all-zero record is an empty slot.
struct GroupTable {
    int NumGroups = 0;
    int GroupSize = 0;
    // Group-major: group g, slot s at g * GroupSize + s. ("slots" would clash with Qt's keyword.)
    std::vector<ProfileRecord> slotRecords;

    const ProfileRecord &at(int group, int slot) const
    {
        return slotRecords[std::size_t(group) * std::size_t(GroupSize) + std::size_t(slot)];
    }
    ProfileRecord &at(int group, int slot)
    {
        return slotRecords[std::size_t(group) * std::size_t(GroupSize) + std::size_t(slot)];
    }
};

} // namespace quorvia
