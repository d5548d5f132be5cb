#pragma once

#include <QString>
#include <QStringList>

namespace quorvia {

struct StartupRequest {
    enum Kind { OpenPool, ShowUsage, UsageError } kind = OpenPool;
    QString poolPath;
    QString message;  // for ShowUsage and UsageError
};

// The pool the program starts on: the one path given (double quotes around
// it removed), or "General.Qvr" in the program's own folder.
StartupRequest parseCommandLine(const QStringList &arguments, const QString &programFolder);

QString usageText();

} // namespace quorvia
