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
                          "cannot be written.");
}

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
    if (arguments.isEmpty()) {
        request.poolPath = defaultPoolPath(programFolder, userDataFolder);
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
