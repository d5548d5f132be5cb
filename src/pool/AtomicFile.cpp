#include "pool/AtomicFile.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace quorvia {
namespace {

// A short write is followed by another, so that a failure (a full disk) is
// met by a write call of its own and its reason kept.
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

// QSaveFile ignores a failed sync when it commits: a disk that fills up late
// must not let a short copy take the file's place.
bool syncToDisk(QSaveFile &target, QString *reason)
{
#ifdef Q_OS_UNIX
    if (::fsync(target.handle()) == 0)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#else
    if (target.flush())
        return true;
    *reason = target.errorString();
    return false;
#endif
}

} // namespace

bool replaceFileContents(const QString &path, const QByteArray &bytes, QString *reason)
{
    QString ignored;
    if (!reason)
        reason = &ignored;
    // Unbuffered: QSaveFile does not notice a write that fails while its
    // buffer is flushed at commit time, and would rename a short file into place.
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = target.errorString();
        return false;
    }
    if (!writeAll(target, bytes)) {
        *reason = target.errorString();
        target.cancelWriting();
        return false;
    }
    if (!syncToDisk(target, reason)) {
        target.cancelWriting();
        return false;
    }
    if (!target.commit()) {
        *reason = target.errorString();
        return false;
    }
    return true;
}

} // namespace quorvia
