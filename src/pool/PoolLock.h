// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace quorvia {

// The lock file beside a pool ("Team.Qvr.lock"), held by the one window that
// may change the pool. A lock left by a program that no longer runs on this
// computer is stale and taken over, as is one that names no process at all
// (empty or damaged); a held lock never goes stale by age.
class PoolLock {
public:
    enum class Outcome {
        Taken,        // this window may change the pool
        HeldByOther,  // another window has it: holder() says who
        Unavailable,  // no lock file can be made here (a read-only folder)
    };

    PoolLock();
    ~PoolLock();
    PoolLock(const PoolLock &) = delete;
    PoolLock &operator=(const PoolLock &) = delete;

    // Releases any lock held so far, then tries to lock `poolPath`. Once
    // locked, a temporary copy of the pool left by an interrupted rewrite is
    // removed.
    Outcome take(const QString &poolPath);
    void release();
    bool isHeld() const;

    // After HeldByOther: who holds it and what to do, as "user ann on host
    // desk7, process 4312 (quorvia); if that program no longer runs, remove
    // the lock file "/home/ann/Team.Qvr.lock"".
    const QString &holder() const { return holder_; }

    // Who holds the lock of `poolPath`, as holder() says it, or an empty text
    // when no live program does. Looks without taking the lock, so two
    // command-line imports never see each other here (they take turns on the
    // pool file itself).
    static QString windowHolding(const QString &poolPath);

    static QString lockPathFor(const QString &poolPath);

private:
    std::unique_ptr<QLockFile> lock_;
    QString holder_;
};

// The message for a change refused in read-only mode; `notDone` says what did
// not happen ("The profile has not been saved.").
QString readOnlyRefusal(const QString &poolPath, const QString &notDone);

} // namespace quorvia
