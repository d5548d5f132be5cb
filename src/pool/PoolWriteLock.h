// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quorvia {

// The pool file itself locked (flock) against every other writer, in this
// process or another, also where no lock file can be made beside it (a
// folder the user may not write). Held across read, check and write, so no
// two writers ever work from the same old content.
//
// Writers that replace the pool by rename leave a waiting writer holding a
// lock on a file that no name leads to any more: after the lock is taken,
// the path is checked to still name the locked file, and the lock is taken
// again on the new one when it does not.
class PoolWriteLock {
public:
    PoolWriteLock() = default;
    ~PoolWriteLock() { release(); }
    PoolWriteLock(const PoolWriteLock &) = delete;
    PoolWriteLock &operator=(const PoolWriteLock &) = delete;

    enum class Wait { Briefly, Not };
    // Opens the existing pool at `path` for reading and writing and locks it.
    // Another writer is waited for a few seconds (writes take milliseconds),
    // or not at all. On failure `error` names the file and the reason.
    bool lock(const QString &path, QString *error, Wait wait = Wait::Briefly);
    void release();
    bool isLocked() const { return fd_ >= 0; }

    enum class Outcome { Locked, Replaced, Busy, Failed };
    // Locks the open file `fd`, then checks that `path` still names it:
    // Replaced means it does not (another writer renamed a new pool into
    // place meanwhile), and the caller opens `path` again.
    static Outcome lockDescriptor(int fd, const QString &path, Wait wait, QString *reason);

    // The message for a pool that stayed locked by another writer.
    static QString busyMessage(const QString &path);

private:
    int fd_ = -1;
};

} // namespace quorvia
