#include "pool/PoolRewrite.h"

#include "pool/ProfileRecord.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace quorvia {
namespace {

QString failure(const QString &path, const QString &action, const QString &reason)
{
    return QStringLiteral("Could not %1 the pool file \"%2\": %3.\nThe pool file has not been changed.")
        .arg(action, QDir::toNativeSeparators(path), reason);
}

// Writes all of `bytes`. A short write is followed by another one, so that a
// failure (a full disk) is met by a write call of its own and its reason kept.
bool writeAll(QSaveFile &target, const QByteArray &bytes)
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

// Copies `length` bytes from the current position of `source` to `target`.
bool copyBytes(QFile &source, QSaveFile &target, qint64 length)
{
    constexpr qint64 kChunk = qint64(kRecordSize) * 1024;
    while (length > 0) {
        const QByteArray buffer = source.read(std::min(length, kChunk));
        if (buffer.isEmpty() || !writeAll(target, buffer))
            return false;
        length -= buffer.size();
    }
    return true;
}

// QSaveFile ignores a failed flush to disk when it commits; a disk that fills
// up late must not let a short copy replace the pool.
bool syncToDisk(QSaveFile &target)
{
#ifdef Q_OS_UNIX
    return ::fsync(target.handle()) == 0;
#else
    return target.flush();
#endif
}

} // namespace

bool rewritePoolWithout(const QString &path, int number, QString *error)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        if (error)
            *error = failure(path, QStringLiteral("read"), source.errorString());
        return false;
    }
    const qint64 keptBytes = source.size() / kRecordSize * kRecordSize;
    const qint64 recordCount = keptBytes / kRecordSize;
    const bool skipping = number >= 1 && number <= recordCount;
    const qint64 skipOffset = skipping ? qint64(number - 1) * kRecordSize : keptBytes;

    // QSaveFile writes beside the target and renames over it on commit; an
    // uncommitted one removes its temporary file when it goes out of scope.
    // Unbuffered, because it does not notice a write that fails while its
    // buffer is flushed at commit time, and would put a short copy in place.
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = failure(path, QStringLiteral("rewrite"), target.errorString());
        return false;
    }

    bool copied = copyBytes(source, target, skipOffset);
    if (copied && skipping) {
        copied = source.seek(skipOffset + kRecordSize)
            && copyBytes(source, target, keptBytes - skipOffset - kRecordSize);
    }
    if (!copied) {
        if (error) {
            const bool writeFailed = target.error() != QFileDevice::NoError;
            *error = writeFailed ? failure(path, QStringLiteral("rewrite"), target.errorString())
                                 : failure(path, QStringLiteral("read"), source.errorString());
        }
        target.cancelWriting();
        return false;
    }
    source.close();

    if (!syncToDisk(target)) {
        if (error)
            *error = failure(path, QStringLiteral("rewrite"), QString::fromLocal8Bit(std::strerror(errno)));
        target.cancelWriting();
        return false;
    }
    if (!target.commit()) {
        if (error)
            *error = failure(path, QStringLiteral("rewrite"), target.errorString());
        return false;
    }
    return true;
}

} // namespace quorvia
