// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QString>

#include <vector>

namespace quorvia {

// The most people a pool can hold: record numbers are 16-bit signed.
constexpr int kMaxPoolPeople = 32767;

struct AppendOptions {
    bool dryRun = false;          // every check, nothing written
    bool skipDuplicates = false;  // leave out whoever the pool already holds
};

struct AppendResult {
    int formerCount = 0;  // records in the pool before, a partial last one included
    int added = 0;
    int duplicates = 0;   // left out as already in the pool
};

// Adds `records` after the last record of the pool at `path` (a partial last
// record keeps its bytes and is followed by zeros up to a whole record, as it
// already reads), all or nothing whatever stops it: the new pool is written
// beside the old one, forced to disk and renamed over it in one step, so the
// file holds either its former bytes or the former records followed by every
// new one. The pool stays locked against every other writer (PoolWriteLock)
// from reading it to the rename, so no record of a concurrent writer is lost.
//
// Refused, with nothing written and `error` saying why and what fits: a pool
// that would pass kMaxPoolPeople, a write-protected pool, a folder in which
// no file can be made. A dry run makes every one of these checks.
bool appendRecords(const QString &path, const std::vector<ProfileRecord> &records, QString *error,
                   const AppendOptions &options = {}, AppendResult *result = nullptr);

// Who a record is to an import: two records with the same key have the same
// first name, last name and position, compared without case and
// surrounding blanks.
QString personKey(const ProfileRecord &record);

} // namespace quorvia
