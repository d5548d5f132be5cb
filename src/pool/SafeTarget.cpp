// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/SafeTarget.h"

#include "pool/AtomicFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace quorvia {

bool isSameFile(const QString &a, const QString &b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

QString notReplaceableReason(const QString &path)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0)
        return QString();
    if (S_ISREG(info.st_mode)) {
        // As the shell and cp refuse it: write protection is the owner's
        // word that the file stays as it is.
        if (::access(name.constData(), W_OK) == 0 || (errno != EACCES && errno != EROFS))
            return QString();
        return errno == EROFS ? QStringLiteral("it is on a read-only file system")
                              : QStringLiteral("it is write-protected");
    }
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("it is a pipe, not a regular file");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("it is a device, not a regular file");
    return QStringLiteral("it is not a regular file");
}

QString exportTargetProblem(const QString &target, const QString &poolPath)
{
    const QString name = QDir::toNativeSeparators(target);
    if (isSameFile(target, poolPath))
        return QStringLiteral("\"%1\" is the pool file \"%2\". Nothing was written; choose another name.")
            .arg(name, QDir::toNativeSeparators(poolPath));
    // The files kept beside the pool belong to it: its lock (which the
    // window removes on closing), the copy of a rewrite, the rules and rounds.
    const QString pool = QFileInfo(poolPath).canonicalFilePath();
    const QFileInfo targetInfo(target);
    const QString targetFolder = QFileInfo(targetInfo.absolutePath()).canonicalFilePath();
    const QString canonicalTarget = targetFolder.isEmpty() ? QString() : targetFolder + QLatin1Char('/') + targetInfo.fileName();
    if (!pool.isEmpty() && !canonicalTarget.isEmpty()) {
        for (const QString &kept : {pool + QStringLiteral(".lock"), temporaryNameFor(pool), pool + QStringLiteral(".rules"),
                                    pool + QStringLiteral(".rounds")}) {
            if (canonicalTarget == kept || isSameFile(target, kept))
                return QStringLiteral("\"%1\" is a file that the pool \"%2\" keeps beside it. Nothing was written; "
                                      "choose another name.")
                    .arg(name, QDir::toNativeSeparators(poolPath));
        }
    }
    const QString reason = notReplaceableReason(target);
    if (!reason.isEmpty())
        return QStringLiteral("\"%1\" cannot be replaced: %2. Nothing was written; choose another name.")
            .arg(name, reason);
    return QString();
}

} // namespace quorvia
