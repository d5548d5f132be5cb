// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "arrangement/EarlierPartners.h"
#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"
#include "ruleseditor/RulesWindow.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>

// The pool's rules: they follow the pool that is open, a person's deletion,
// and open in their own window from the Groups menu.
namespace quorvia {

void MainWindow::setUpRules()
{
    mnuRules = mnuGroups->addAction(tr("&Rules..."));
    mnuRules->setObjectName(QStringLiteral("mnuRules"));
    connect(mnuRules, &QAction::triggered, this, &MainWindow::mnuRules_Click);
}

void MainWindow::poolRulesFollow(const std::vector<ProfileRecord> &records)
{
    if (!arrangement_)
        return;
    PoolRules *rules = arrangement_->rules();
    const QString before = rules->poolPath();
    rules->setPool(PoolPath, records);
    // Another pool's rounds are other rounds: nothing is avoided until ticked.
    if (rules->poolPath() != before)
        arrangement_->earlierPartners()->clear();
    // A damaged rules file is said once, when its pool opens.
    if (rules->poolPath() != before && !rules->loadProblem().isEmpty())
        statusBar()->showMessage(rules->loadProblem() + tr(" The pool opened without rules."));
}

void MainWindow::personDeleted(int recordNumber, const QString &said)
{
    // The list first: the rules then write the names the records hold now.
    rebuildPoolList(recordNumber);
    QStringList done{said, arrangement_->rules()->removeRecord(recordNumber), roundsFollowDeletion(recordNumber)};
    done.removeAll(QString());
    showStatusAfterRebuild(done.join(QLatin1Char(' ')));
}

void MainWindow::mnuRules_Click()
{
    if (!frmRules) {
        frmRules = new RulesWindow(arrangement_, this);
        connect(frmRules, &RulesWindow::roundsRequested, this, &MainWindow::mnuRounds_Click);
    }
    updateAvoidance();  // the rounds the file holds now, for the tick's words
    frmRules->showRules();
    statusBar()->showMessage(tr("Opened the rules of the pool."));
}

} // namespace quorvia
