#pragma once

#include "pool/ProfileRecord.h"

#include <QString>

#include <vector>

namespace quorvia {

// Appends `records` to the pool at `path` in one step, after its last record
// (a partial last record keeps its bytes and is followed by zeros up to a
// whole record, as it already reads). Should the write fail part-way, the file
// is cut back to its former length, so it holds exactly its former bytes, and
// `error` names the file and the system's reason.
bool appendRecords(const QString &path, const std::vector<ProfileRecord> &records, QString *error);

} // namespace quorvia
