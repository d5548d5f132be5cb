// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quorvia::cli {

QString usageText();

// One line on stderr, prefixed with the tool's name; returns `status`.
int fail(int status, const QString &message);
// A usage error: the message, then a pointer to --help.
int usageError(const QString &message);

// Writes UTF-8 text to stdout and flushes it. A write that fails (a full
// disk, a closed pipe) is reported on stderr and false returned: the command
// then ends with FileFailure, never with a cut-short success.
[[nodiscard]] bool printOut(const QString &text);
// The same for bytes written as they stand (CSV).
[[nodiscard]] bool printBytes(const QByteArray &bytes);

// The text with every control character shown as \xHH and a backslash as
// \\, so that whatever a pool file holds, a line of output stays one line
// and nothing reaches the terminal as an escape sequence.
QString escapeControls(const QString &text);

// Why the command must not write anything: the standard output is the pool
// file (same device and inode, whatever name or link), or the standard error
// is (which is then sent nowhere). Empty when both are elsewhere.
QString standardStreamProblem(const QString &poolPath);

// Reads an existing pool; a missing or unreadable file is an error, never
// created. Refused first when standardStreamProblem finds one.
bool readPool(const QString &path, std::vector<ProfileRecord> *records, QString *error);

} // namespace quorvia::cli
