// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "dialogs/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolListing.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

// Restore Ticks: saving or deleting a profile rebuilds the selection list and
// so clears every tick; the ticks it cleared can be brought back.
namespace quorvia {

void MainWindow::setUpRestoreTicks()
{
    cmdRestoreTicks = new QPushButton(tr("Restore Ticks"), fraSelect);
    cmdRestoreTicks->setObjectName(QStringLiteral("cmdRestoreTicks"));
    cmdRestoreTicks->setToolTip(tr("Tick again the people who were ticked before the list was last rebuilt (%1)")
                                    .arg(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T).toString(QKeySequence::NativeText)));
    if (auto *buttons = cmdClearAll->parentWidget()->layout()->findChild<QHBoxLayout *>())
        buttons->insertWidget(buttons->indexOf(cmdClearAll) + 1, cmdRestoreTicks);
    setTabOrder(cmdClearAll, cmdRestoreTicks);
    mnuRestoreTicks = new QAction(tr("Restore &Ticks"), this);
    mnuRestoreTicks->setObjectName(QStringLiteral("mnuRestoreTicks"));
    mnuRestoreTicks->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    connect(cmdRestoreTicks, &QPushButton::clicked, this, &MainWindow::mnuRestoreTicks_Click);
    connect(mnuRestoreTicks, &QAction::triggered, this, &MainWindow::mnuRestoreTicks_Click);
}

void MainWindow::rebuildPoolList(int deletedRecord)
{
    std::vector<int> ticked = poolList_->tickedRecords();
    QString error;
    if (!LoadPoolList(&error))
        MessageBox::error(this, error);
    // A rebuild of a list without ticks keeps the earlier ticks to restore.
    if (!ticked.empty())
        ticksToRestore_ = std::move(ticked);
    if (deletedRecord > 0) {
        ticksToRestore_.erase(std::remove(ticksToRestore_.begin(), ticksToRestore_.end(), deletedRecord),
                              ticksToRestore_.end());
        for (int &number : ticksToRestore_)
            number -= number > deletedRecord ? 1 : 0;
    }
    offerRestore_ = !ticksToRestore_.empty() && poolList_->tickCount() == 0;
}

void MainWindow::showStatusAfterRebuild(const QString &text)
{
    if (!std::exchange(offerRestore_, false)) {
        showStatus(text);
        return;
    }
    showStatus(tr("%1 The ticks were cleared: Restore Ticks (%2) ticks %3 again.")
                   .arg(text, mnuRestoreTicks->shortcut().toString(QKeySequence::NativeText),
                        countText(qsizetype(ticksToRestore_.size()), tr("person"), tr("people"))));
}

void MainWindow::mnuRestoreTicks_Click()
{
    if (ticksToRestore_.empty()) {
        showStatus(tr("There are no earlier ticks to restore."));
        return;
    }
    const int before = poolList_->tickCount();
    poolList_->tickRecords(ticksToRestore_);
    ShowSelectionCount();
    showStatus(tr("Ticked %1 again.")
                   .arg(countText(poolList_->tickCount() - before, tr("person"), tr("people"))));
}

} // namespace quorvia
