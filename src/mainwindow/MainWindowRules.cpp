// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

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
    // A damaged rules file is said once, when its pool opens.
    if (rules->poolPath() != before && !rules->loadProblem().isEmpty())
        statusBar()->showMessage(rules->loadProblem() + tr(" The pool opened without rules."));
}

void MainWindow::personDeleted(int recordNumber)
{
    QString said = arrangement_->rules()->removeRecord(recordNumber);
    const QString rounds = roundsFollowDeletion(recordNumber);
    if (!rounds.isEmpty())
        said += (said.isEmpty() ? QString() : QStringLiteral(" ")) + rounds;
    if (!said.isEmpty())
        statusBar()->showMessage(statusBar()->currentMessage() + QLatin1Char(' ') + said);
}

void MainWindow::mnuRules_Click()
{
    if (!frmRules)
        frmRules = new RulesWindow(arrangement_, this);
    frmRules->showRules();
    statusBar()->showMessage(tr("Opened the rules of the pool."));
}

} // namespace quorvia
