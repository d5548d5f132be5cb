// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace quorvia::cli {

// Exit statuses shared by every command.
enum ExitStatus { Success = 0, FileFailure = 1, UsageFailure = 2 };

// Each takes the arguments after its command's name and returns the exit status.
int runListCommand(const QStringList &args);
int runGroupsCommand(const QStringList &args);
int runImportCommand(const QStringList &args);
int runExportCommand(const QStringList &args);

} // namespace quorvia::cli
