// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/AtomicFile.h"

#include "pool/SafeTarget.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvia {
namespace {

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A short write is followed by another, so that a failure (a full disk) is
// met by a write call of its own and its reason kept.
bool writeAll(QFile &target, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = target.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// The folder entry of the rename must reach the disk too, or a crash could
// bring back the former file.
void syncFolderOf(const QString &path)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace

QString temporaryNameFor(const QString &path)
{
    const QFileInfo info(path);
    const QString plain = QStringLiteral(".") + info.fileName() + QStringLiteral(".quorvia-new");
    // A name may take 255 bytes: a long one keeps a temporary name that fits,
    // still one fixed name per target.
    if (QFile::encodeName(plain).size() <= 255)
        return info.absolutePath() + QLatin1Char('/') + plain;
    const QByteArray digest = QCryptographicHash::hash(QFile::encodeName(info.fileName()), QCryptographicHash::Sha1);
    return info.absolutePath() + QStringLiteral("/.quorvia-") + QString::fromLatin1(digest.toHex().left(24))
        + QStringLiteral(".new");
}

bool replaceFileContents(const QString &path, const QByteArray &bytes, QString *reason)
{
    QString ignored;
    if (!reason)
        reason = &ignored;
    // A link is followed: the file it names is replaced, the link stays.
    const QFileInfo given(path);
    const QString target = given.isSymLink() && given.exists() ? given.canonicalFilePath() : path;
    *reason = notReplaceableReason(target);
    if (!reason->isEmpty())
        return false;

    // A leftover of an interrupted replace (or a link planted under this
    // name) is removed first; the new file is then created, never reused.
    const QString temporaryPath = temporaryNameFor(target);
    QFile::remove(temporaryPath);
    QFile temporary(temporaryPath);
    // Unbuffered: every write is checked as it happens, none is left to a
    // flush whose failure could go unnoticed.
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        *reason = QStringLiteral("could not create the temporary file \"%1\" (%2)")
                      .arg(QDir::toNativeSeparators(temporaryPath), temporary.errorString());
        return false;
    }
    const auto giveUp = [&](const QString &why) {
        *reason = why;
        temporary.close();
        QFile::remove(temporaryPath);
        return false;
    };
    if (!writeAll(temporary, bytes))
        return giveUp(temporary.errorString());
    // The mode bits themselves: Qt's permission flags would add write
    // access to a read-only file for root, who may write anything.
    struct stat existing {};
    if (::stat(QFile::encodeName(target).constData(), &existing) == 0) {
        // Root replacing a user's file leaves it the user's (only root may
        // give a file away; for anyone else it is theirs already).
        if (::geteuid() == 0 && (existing.st_uid != 0 || existing.st_gid != 0))
            (void)!::fchown(temporary.handle(), existing.st_uid, existing.st_gid);
        if (::fchmod(temporary.handle(), existing.st_mode & 07777) != 0)
            return giveUp(systemReason());
    }
    if (::fsync(temporary.handle()) != 0)
        return giveUp(systemReason());
    temporary.close();
    if (std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(target).constData()) != 0)
        return giveUp(systemReason());
    syncFolderOf(target);
    return true;
}

} // namespace quorvia
