// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvia {

// Puts `bytes` in place as the whole content of the file at `path` (the file
// a symbolic link points to, for a link): written to a temporary file beside
// it, forced to disk, then renamed over it in one step. An existing file's
// mode is kept, a read-only one's too. Anything but a regular file at `path`
// (a folder, a device, a pipe) is refused and left alone.
//
// The temporary file has one fixed name per target (temporaryNameFor), so
// a replace that was killed half-way leaves at most one such file, which the
// next replace of the same target overwrites.
//
// On failure the file at `path` is as it was, no temporary file is left,
// and `reason` holds the reason.
bool replaceFileContents(const QString &path, const QByteArray &bytes, QString *reason);

// "groups.txt" -> ".groups.txt.quorvia-new", in the same folder.
QString temporaryNameFor(const QString &path);

} // namespace quorvia
