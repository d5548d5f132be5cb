#pragma once

#include "pool/ProfileRecord.h"

#include <QString>

#include <vector>

namespace quorvia::cli {

QString usageText();

// One line on stderr, prefixed with the tool's name; returns `status`.
int fail(int status, const QString &message);
// A usage error: the message, then a pointer to --help.
int usageError(const QString &message);

// Writes UTF-8 text to stdout as it stands.
void printOut(const QString &text);

// Reads an existing pool; a missing or unreadable file is an error, never created.
bool readPool(const QString &path, std::vector<ProfileRecord> *records, QString *error);

} // namespace quorvia::cli
