// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quorvia {

// True when both paths name one and the same file (the same device and
// inode), whatever the names: a symbolic link or a hard link to a file is
// that file. False when either does not exist.
bool isSameFile(const QString &a, const QString &b);

// Why something that exists at `path` cannot be replaced by a regular file,
// or an empty text when it can (a regular file, also through a symbolic
// link, or nothing at all). A folder, a device or a pipe must never be
// swapped for a file: a pipe's reader would get nothing, and /dev/null would
// stop being a device.
QString notReplaceableReason(const QString &path);

// The one check before an export is written to `target` (the window's
// exports, the command line's -o): refused when it is not replaceable, or when
// it is the pool file `poolPath` itself under any name. Returns the message
// for the user, or an empty text when `target` may be written.
QString exportTargetProblem(const QString &target, const QString &poolPath);

} // namespace quorvia
