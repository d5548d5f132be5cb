// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quorvia {

QString usageText()
{
    return QStringLiteral("Usage: quorvia [POOL]\n"
                          "Opens the pool file POOL (a .Qvr file). Without one it opens General.Qvr in the "
                          "program's folder,\nor in the user's data folder when the program is installed or its folder "
                          "cannot be written.\n"
                          "A pool whose name starts with \"-\" is named as ./-name (or after \"--\").\n\n"
                          "Options:\n"
                          "  --help     show this text and end\n"
                          "  --version  show the program's version and end");
}

QString versionText() { return QStringLiteral("quorvia " QUORVIA_VERSION); }

// An installed program has its help in PREFIX/share/quorvia beside PREFIX/bin.
// Its pool belongs in the user's data folder even when the user may write to
// the program's folder (root may write /usr/bin): people's profiles do not go
// among the system's programs.
bool isInstalledProgram(const QString &programFolder)
{
    return QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("../share/quorvia/Quorvia.html")));
}

QString defaultPoolPath(const QString &programFolder, const QString &userDataFolder)
{
    const QString beside = QDir(programFolder).filePath(QStringLiteral("General.Qvr"));
    if (userDataFolder.isEmpty() || QFileInfo::exists(beside)
        || (QFileInfo(programFolder).isWritable() && !isInstalledProgram(programFolder)))
        return beside;
    // People's profiles are personal data: a data folder made here is private.
    if (!QFileInfo::exists(userDataFolder) && QDir().mkpath(userDataFolder))
        QFile::setPermissions(userDataFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QDir(userDataFolder).filePath(QStringLiteral("General.Qvr"));
}

StartupRequest parseCommandLine(const QStringList &arguments, const QString &programFolder,
                                const QString &userDataFolder)
{
    StartupRequest request;
    auto usageError = [&request](const QString &text) {
        request.kind = StartupRequest::UsageError;
        request.message = text + QStringLiteral("\n\n") + usageText();
        return request;
    };
    QStringList names = arguments;
    const bool endOfOptions = !names.isEmpty() && names.first() == QLatin1String("--");
    if (endOfOptions)
        names.removeFirst();
    if (names.isEmpty()) {
        request.poolPath = defaultPoolPath(programFolder, userDataFolder);
        return request;
    }
    const QString &first = names.first();
    if (!endOfOptions && first.startsWith(QLatin1Char('-')) && first.size() > 1) {
        if (names.size() == 1 && (first == QLatin1String("--help") || first == QLatin1String("-h"))) {
            request.kind = StartupRequest::ShowUsage;
            request.message = usageText();
            return request;
        }
        if (names.size() == 1 && first == QLatin1String("--version")) {
            request.kind = StartupRequest::ShowVersion;
            request.message = versionText();
            return request;
        }
        // An option is never a pool name: a slip such as --verison must not
        // leave a new, empty pool of that name behind.
        return usageError(QStringLiteral("Unknown option \"%1\".").arg(first));
    }
    if (names.size() > 1)
        return usageError(QStringLiteral("Quorvia opens one pool at a time, but %1 were named.").arg(names.size()));

    QString path = first;
    // A shell that quotes the path passes the quotes along; only a matching pair is removed.
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    if (path.isEmpty())
        return usageError(QStringLiteral("The pool file named on the command line is empty."));
    // Named after "--": shown and opened as ./-x, which no later step can take for an option.
    if (path.startsWith(QLatin1Char('-')))
        path.prepend(QStringLiteral("./"));
    request.poolPath = path;
    return request;
}

} // namespace quorvia
