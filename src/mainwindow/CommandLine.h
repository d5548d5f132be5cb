// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quorvia {

struct StartupRequest {
    enum Kind { OpenPool, ShowUsage, ShowVersion, UsageError } kind = OpenPool;
    QString poolPath;
    QString message;  // for ShowUsage, ShowVersion and UsageError
};

// The pool the program starts on: the one path given (double quotes around
// it removed), or the default pool. --help and --version are answered; any
// other argument starting with "-" is refused, so that a mistyped option never
// becomes a new pool file of that name ("--" ends the options, and ./-x names
// a pool called -x).
StartupRequest parseCommandLine(const QStringList &arguments, const QString &programFolder,
                                const QString &userDataFolder = QString());

// "General.Qvr" in the program's own folder. An installed program's folder is
// not the user's to write in: unless a pool already lies there, the default
// pool then lives in the user's data folder (created when needed).
QString defaultPoolPath(const QString &programFolder, const QString &userDataFolder);

QString usageText();
QString versionText();

} // namespace quorvia
