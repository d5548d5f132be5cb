// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "dialogs/MessageBox.h"
#include "pool/PoolLock.h"

#include <QDir>

// One window changes a pool at a time: a second one is told who has it and
// may look at it read-only.
namespace quorvia {

bool MainWindow::claimPool(const QString &path, std::unique_ptr<PoolLock> &lock, bool &readOnly)
{
    readOnly = false;
    // Reopening the pool this window holds: the lock it has is the one.
    if (poolLock_ && poolLock_->isHeld() && PoolLock::lockPathFor(path) == PoolLock::lockPathFor(PoolPath)) {
        lock = std::move(poolLock_);
        readOnly = readOnly_;
        return true;
    }
    // Unavailable (no lock can be made beside the pool, a read-only folder):
    // there is nothing to coordinate with, and the pool opens as ever.
    if (lock->take(path) != PoolLock::Outcome::HeldByOther)
        return true;
    const QString question =
        tr("The pool \"%1\" is open in another window: %2.\n\n"
           "Open it read-only? You can look at it, calculate and print, but not save or delete profiles.\n"
           "No: the pool is not opened.")
            .arg(QDir::toNativeSeparators(path), lock->holder());
    if (MessageBox::show(this, question, MessageBox::Style::Question) != MessageBox::Yes)
        return false;
    readOnly = true;
    return true;
}

} // namespace quorvia
