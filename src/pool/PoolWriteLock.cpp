// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolWriteLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvia {
namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A writer holds the lock for milliseconds; one that holds it for longer is
// stuck (a stopped process), and waiting for it would freeze the window.
constexpr int kWaitMilliseconds = 5000;

} // namespace

PoolWriteLock::Outcome PoolWriteLock::lockDescriptor(int fd, const QString &path, Wait wait, QString *reason)
{
    QDeadlineTimer deadline(wait == Wait::Briefly ? kWaitMilliseconds : 0);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            *reason = systemReason(errno);
            return Outcome::Failed;
        }
        if (deadline.hasExpired())
            return Outcome::Busy;
        QThread::msleep(5);
    }
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd, &locked) != 0) {
        *reason = systemReason(errno);
        return Outcome::Failed;
    }
    if (::stat(QFile::encodeName(path).constData(), &named) != 0 || named.st_dev != locked.st_dev
        || named.st_ino != locked.st_ino)
        return Outcome::Replaced;
    return Outcome::Locked;
}

QString PoolWriteLock::busyMessage(const QString &path)
{
    return QStringLiteral("The pool file \"%1\" is being changed by another program (a profile being saved, "
                          "people being imported); try again in a moment.")
        .arg(QDir::toNativeSeparators(path));
}

bool PoolWriteLock::lock(const QString &path, QString *error, Wait wait)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    // Every writer that replaced the pool meanwhile makes one more round;
    // there cannot be endlessly many of them in a few seconds.
    for (int round = 0; round < 1000; ++round) {
        const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            *error = QStringLiteral("Could not open the pool file \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path), systemReason(errno));
            return false;
        }
        QString reason;
        const Outcome outcome = lockDescriptor(fd, path, wait, &reason);
        if (outcome == Outcome::Locked) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
        if (outcome == Outcome::Busy) {
            *error = busyMessage(path);
            return false;
        }
        if (outcome == Outcome::Failed) {
            *error = QStringLiteral("Could not lock the pool file \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path), reason);
            return false;
        }
    }
    *error = busyMessage(path);
    return false;
}

void PoolWriteLock::release()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor unlocks
    fd_ = -1;
}

} // namespace quorvia
