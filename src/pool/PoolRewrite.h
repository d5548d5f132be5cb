// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvia {

// Replaces the pool file at `path` by a copy that leaves out record `number`
// (1-based). A number outside the stored records leaves none out, so the same
// records are written again. Every other record is copied byte for byte; a
// partial last record is kept, padded with zero bytes to a whole record,
// which is how it reads anyway.
//
// `expected` is what the caller last read at `number` (PoolFile::storedBytes):
// when the file holds something else there now, another program changed the
// pool, and nothing is written.
//
// The copy is written to a temporary file beside the pool, flushed to disk
// and renamed over the pool in one step. On any failure the pool is left as
// it was, no temporary file remains, and `error` names the file and the
// reason.
bool rewritePoolWithout(const QString &path, int number, const QByteArray &expected, QString *error);

} // namespace quorvia
