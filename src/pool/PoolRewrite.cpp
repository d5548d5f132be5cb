// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolRewrite.h"

#include "pool/AtomicFile.h"
#include "pool/PoolFile.h"
#include "pool/PoolWriteLock.h"
#include "pool/ProfileRecord.h"

#include <QFileInfo>

#include <QDir>

namespace quorvia {
namespace {

QString failure(const QString &path, const QString &action, const QString &reason)
{
    return QStringLiteral("Could not %1 the pool file \"%2\": %3.\nThe pool file has not been changed.")
        .arg(action, QDir::toNativeSeparators(path), reason);
}

} // namespace

bool rewritePoolWithout(const QString &path, int number, const QByteArray &expected, QString *error)
{
    // Locked from the check of the record to the rename, so that no save or
    // import of another window or program lands in the copy being replaced.
    const QFileInfo given(path);
    const QString target = given.isSymLink() && given.exists() ? given.canonicalFilePath() : path;
    PoolWriteLock lock;
    QString readError;
    if (!lock.lock(target, &readError)) {
        if (error)
            *error = readError + QStringLiteral("\nThe pool file has not been changed.");
        return false;
    }
    QByteArray bytes;
    if (!PoolFile::readBytes(target, &bytes, &readError)) {
        if (error)
            *error = readError + QStringLiteral("\nThe pool file has not been changed.");
        return false;
    }
    const qint64 offset = qint64(number - 1) * kRecordSize;
    const QByteArray stored = number >= 1 && offset < bytes.size() ? bytes.mid(offset, kRecordSize) : QByteArray();
    if (stored != expected) {
        if (error)
            *error = QStringLiteral("Record %1 of the pool file \"%2\" was changed by another program since it was "
                                    "shown.\nNothing was deleted; open the profile again to see what it holds now.")
                         .arg(number)
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }

    const qsizetype recordCount = PoolFile::recordsToRead(bytes.size());
    bytes.append(QByteArray(recordCount * kRecordSize - bytes.size(), '\0'));
    if (number >= 1 && number <= recordCount)
        bytes.remove(qsizetype(number - 1) * kRecordSize, kRecordSize);

    QString reason;
    if (!replaceFileContents(target, bytes, &reason)) {
        if (error)
            *error = failure(path, QStringLiteral("rewrite"), reason);
        return false;
    }
    return true;
}

} // namespace quorvia
