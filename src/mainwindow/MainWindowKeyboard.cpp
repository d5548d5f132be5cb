// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

// Working the main window from the keyboard: Calculate in the menu, a tab
// order that follows the window, and names for screen readers.
namespace quorvia {
namespace {

void describe(QWidget *widget, const QString &name, const QString &description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

} // namespace

void MainWindow::setUpKeyboardAndNames()
{
    mnuCalculate = new QAction(tr("&Calculate"), this);
    mnuCalculate->setObjectName(QStringLiteral("mnuCalculate"));
    mnuCalculate->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(mnuCalculate, &QAction::triggered, this, &MainWindow::cmdCalculate_Click);
    QAction *first = mnuGroups->actions().value(0);
    mnuGroups->insertActions(first, {mnuCalculate, mnuRestoreTicks});
    mnuGroups->insertSeparator(first);

    auto *tblQuality = findChild<QTableView *>(QStringLiteral("tblQuality"));
    // Tab leaves the table; the arrow keys move inside it.
    tblQuality->setTabKeyNavigation(false);

    // The explanation of the chosen group's conflicts follows its table, so
    // that the keyboard and a screen reader reach it too.
    auto *txtConflicts = findChild<QPlainTextEdit *>(QStringLiteral("txtConflicts"));
    const QList<QWidget *> order{txtFilter,        lstSelect,         cmdSelectAll, cmdClearAll, cmdRestoreTicks,
                                 optAmountGroupsDesired, txtAmountGroupsDesired, optPeoplePerGroup,
                                 txtPeoplePerGroup, cmdCalculate,      txtGroups,    cmdPrint,    cmdExport,
                                 tblQuality,       txtConflicts,      cmdImprove,   chkEvenSizes, cmdArrangeGroups};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    describe(txtFilter, tr("Find people"), tr("Shows only the people whose name or position holds every word typed"));
    describe(lstSelect, tr("People in the pool"),
             tr("Tick the people to divide into groups; Enter opens the current person's profile"));
    describe(cmdSelectAll, tr("Select All"), tr("Ticks every person shown"));
    describe(cmdClearAll, tr("Clear All"), tr("Clears the ticks of every person shown"));
    describe(cmdRestoreTicks, tr("Restore Ticks"), tr("Ticks again the people ticked before the list was last rebuilt"));
    describe(optAmountGroupsDesired, tr("Amount of Groups Desired"), tr("Divide the ticked people into a number of groups"));
    describe(txtAmountGroupsDesired, tr("Amount of groups desired"), tr("The number of groups, up to three digits"));
    describe(optPeoplePerGroup, tr("People Per Group"), tr("Divide the ticked people into groups of a size"));
    describe(txtPeoplePerGroup, tr("People per group"), tr("The number of people in each group, up to three digits"));
    describe(cmdCalculate, tr("Calculate"), tr("Divides the ticked people into groups"));
    describe(txtGroups, tr("Groups"), tr("The groups of the last Calculate, one line per place"));
    describe(cmdPrint, tr("Print"), tr("Prints the groups"));
    describe(cmdExport, tr("Export"), tr("Writes the groups to a text file"));
    describe(tblQuality, tr("Group quality"),
             tr("One row per group: its number, people, score and conflicts; the arrow keys move between groups"));
    describe(cmdImprove, tr("Improve"), tr("Moves people between the groups to raise the total score"));
    describe(chkEvenSizes, tr("Even sizes"), tr("Improve first makes the group sizes differ by at most one"));
    describe(cmdArrangeGroups, tr("Arrange Groups"), tr("Opens the board to move and swap people by hand"));
    describe(txtConflicts, tr("Conflicts"), tr("What the conflicts of the selected group come from"));
}

} // namespace quorvia
