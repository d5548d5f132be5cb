// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <vector>

namespace quorvia {

// The pool record number (1-based, as the list prints it) of the person in
// every slot of `table`, 0 for a free slot or a person found in none of the
// `candidates` (record numbers into `records`, for example the people who were
// ticked). A table holds copies of records, so people are found by their
// bytes; byte-identical records cannot be told apart and are given distinct
// numbers in slot order, so no record number appears twice.
std::vector<int> recordNumbersOf(const GroupTable &table, const std::vector<ProfileRecord> &records,
                                 const std::vector<int> &candidates);

} // namespace quorvia
