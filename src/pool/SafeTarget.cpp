#include "pool/SafeTarget.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

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
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return QString();
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
    const QString reason = notReplaceableReason(target);
    if (!reason.isEmpty())
        return QStringLiteral("\"%1\" cannot be replaced: %2. Nothing was written; choose another name.")
            .arg(name, reason);
    return QString();
}

} // namespace quorvia
