#include "pool/PoolLock.h"

#include "pool/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

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

PoolLock::Outcome PoolLock::take(const QString &poolPath)
{
    release();
    auto lock = std::make_unique<QLockFile>(lockPathFor(poolPath));
    // A window keeps its pool for hours: only a holder that no longer runs
    // makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        // A copy of the pool left by a rewrite that was killed half-way: no
        // other window can be writing it now, so it is only in the way.
        const QString leftover = temporaryNameFor(poolPath);
        if (QFileInfo(leftover).isFile() && !QFileInfo(leftover).isSymLink())
            QFile::remove(leftover);
        return Outcome::Taken;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return Outcome::Unavailable;
    qint64 pid = 0;
    QString host;
    QString program;
    lock->getLockInfo(&pid, &host, &program);
    const QString user = QFileInfo(lockPathFor(poolPath)).owner();
    holder_ = QStringLiteral("user %1 on host %2, process %3 (%4)")
                  .arg(user.isEmpty() ? QStringLiteral("?") : user, host.isEmpty() ? QStringLiteral("?") : host)
                  .arg(pid)
                  .arg(program.isEmpty() ? QStringLiteral("?") : program);
    return Outcome::HeldByOther;
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
