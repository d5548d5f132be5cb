// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolLock.h"

#include "pool/AtomicFile.h"
#include "pool/PoolWriteLock.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>

#include <signal.h>

namespace quorvia {

PoolLock::PoolLock() = default;
PoolLock::~PoolLock() = default;

QString PoolLock::lockPathFor(const QString &poolPath)
{
    // One lock per file, whichever name (a link, a relative path) opened it.
    const QFileInfo info(poolPath);
    const QString canonical = info.canonicalFilePath();
    return (canonical.isEmpty() ? info.absoluteFilePath() : canonical) + QStringLiteral(".lock");
}

namespace {

QString holderText(const QString &lockPath, qint64 pid, const QString &host, const QString &program)
{
    const QString user = QFileInfo(lockPath).owner();
    return QStringLiteral("user %1 on host %2, process %3 (%4); if that program no longer runs, remove the lock "
                          "file \"%5\"")
        .arg(user.isEmpty() ? QStringLiteral("?") : user, host.isEmpty() ? QStringLiteral("?") : host)
        .arg(pid)
        .arg(program.isEmpty() ? QStringLiteral("?") : program, QDir::toNativeSeparators(lockPath));
}

bool isThisHost(const QString &host) { return host.isEmpty() || host == QSysInfo::machineHostName(); }

} // namespace

PoolLock::Outcome PoolLock::take(const QString &poolPath)
{
    release();
    const QString lockPath = lockPathFor(poolPath);
    auto lock = std::make_unique<QLockFile>(lockPath);
    // A window keeps its pool for hours: only a holder that no longer runs
    // makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            // A copy of the pool left by a rewrite that was killed half-way:
            // no other window can be writing it now, so it is only in the way.
            // A command-line import writing it holds the pool itself locked.
            PoolWriteLock writing;
            QString ignored;
            const QString leftover = temporaryNameFor(poolPath);
            if (QFileInfo(leftover).isFile() && !QFileInfo(leftover).isSymLink()
                && writing.lock(poolPath, &ignored, PoolWriteLock::Wait::Not))
                QFile::remove(leftover);
            return Outcome::Taken;
        }
        if (lock->error() != QLockFile::LockFailedError)
            return Outcome::Unavailable;
        qint64 pid = 0;
        QString host;
        QString program;
        const bool named = lock->getLockInfo(&pid, &host, &program) && pid > 0;
        // A lock file that names no process (empty, damaged) or this very
        // process (a former one with the same number, as after a restart in
        // a container) is stale. Its removal fails while a live holder has
        // it open, so a lock being taken at this moment is never lost.
        const bool stale = !named || (pid == QCoreApplication::applicationPid() && isThisHost(host));
        if (!stale || attempt > 0 || !lock->removeStaleLockFile()) {
            holder_ = named ? holderText(lockPath, pid, host, program)
                            : QStringLiteral("the lock file \"%1\" names no program (it is empty or damaged) but "
                                             "could not be taken over; if no other window has the pool open, "
                                             "remove that file")
                                  .arg(QDir::toNativeSeparators(lockPath));
            return Outcome::HeldByOther;
        }
    }
    return Outcome::Unavailable;
}

QString PoolLock::windowHolding(const QString &poolPath)
{
    const QString lockPath = lockPathFor(poolPath);
    if (!QFileInfo::exists(lockPath))
        return QString();
    QLockFile probe(lockPath);
    qint64 pid = 0;
    QString host;
    QString program;
    if (!probe.getLockInfo(&pid, &host, &program) || pid <= 0
        || (pid == QCoreApplication::applicationPid() && isThisHost(host)))
        return QString();
    // Signal 0 only asks whether the process exists (EPERM: it does, as another user's).
    if (isThisHost(host) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return QString();
    return holderText(lockPath, pid, host, program);
}

void PoolLock::release()
{
    lock_.reset();  // unlocks
    holder_.clear();
}

bool PoolLock::isHeld() const { return lock_ && lock_->isLocked(); }

QString readOnlyRefusal(const QString &poolPath, const QString &notDone)
{
    return QStringLiteral("The pool \"%1\" is open read-only, because another window has it open.\n%2")
        .arg(QDir::toNativeSeparators(poolPath), notDone);
}

} // namespace quorvia
