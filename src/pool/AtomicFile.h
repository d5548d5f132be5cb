#pragma once

#include <QByteArray>
#include <QString>

namespace quorvia {

// Puts `bytes` in place as the whole content of the file at `path`: written to
// a temporary file beside it, forced to disk, then renamed over it in one
// step. On failure the file at `path` is as it was, no temporary file is left,
// and `reason` holds the system's reason.
bool replaceFileContents(const QString &path, const QByteArray &bytes, QString *reason);

} // namespace quorvia
