#pragma once

#include <QString>

namespace quorvia {

// Replaces the pool file at `path` by a copy that leaves out record `number`
// (1-based). A number outside the stored records leaves none out, so the same
// records are written again. Only whole records are copied, each byte for
// byte as stored; the bytes of a partial last record are dropped.
//
// The copy is written to a temporary file beside the pool, flushed to disk
// and renamed over the pool in one step. On any failure the pool is left as
// it was, no temporary file remains, and `error` names the file and the
// system's reason.
bool rewritePoolWithout(const QString &path, int number, QString *error);

} // namespace quorvia
