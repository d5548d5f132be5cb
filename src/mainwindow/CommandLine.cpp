#include "mainwindow/CommandLine.h"

#include <QDir>

namespace quorvia {

QString usageText()
{
    return QStringLiteral("Usage: quorvia [POOL]\n"
                          "Opens the pool file POOL (a .Qvr file), or General.Qvr in the program's folder "
                          "when no pool is named.");
}

StartupRequest parseCommandLine(const QStringList &arguments, const QString &programFolder)
{
    StartupRequest request;
    if (arguments.isEmpty()) {
        request.poolPath = QDir(programFolder).filePath(QStringLiteral("General.Qvr"));
        return request;
    }
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--help")) {
        request.kind = StartupRequest::ShowUsage;
        request.message = usageText();
        return request;
    }
    if (arguments.size() > 1) {
        request.kind = StartupRequest::UsageError;
        request.message = QStringLiteral("Quorvia opens one pool at a time, but %1 were named.\n\n%2")
                              .arg(arguments.size()).arg(usageText());
        return request;
    }

    QString path = arguments.first();
    // A shell that quotes the path passes the quotes along; only a matching pair is removed.
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    if (path.isEmpty()) {
        request.kind = StartupRequest::UsageError;
        request.message = QStringLiteral("The pool file named on the command line is empty.\n\n%1").arg(usageText());
        return request;
    }
    request.poolPath = path;
    return request;
}

} // namespace quorvia
