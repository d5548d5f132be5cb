// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/ImproveRun.h"
#include "arrangement/ImproveWithRules.h"
#include "board/BoardWindow.h"
#include "dialogs/MessageBox.h"
#include "grouping/GroupListing.h"
#include "pool/PoolListing.h"
#include "mainwindow/QualityReadout.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QUndoStack>

// The quality read-out under the groups box, Improve, Undo/Redo of arranged
// groups, and the board that arranges them by hand.
namespace quorvia {
namespace {

// The box layout that holds `widget`, however deep under `layout` it sits.
QBoxLayout *boxLayoutHolding(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return qobject_cast<QBoxLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        if (QBoxLayout *found = boxLayoutHolding(layout->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
}

} // namespace

void MainWindow::setUpQuality()
{
    arrangement_ = new GroupArrangement(this);

    fraQuality = new QGroupBox(tr("Group Quality"), centralWidget());
    fraQuality->setObjectName(QStringLiteral("fraQuality"));
    readout_ = new QualityReadout(arrangement_, fraQuality);
    readout_->setObjectName(QStringLiteral("QualityReadout"));
    cmdImprove = new QPushButton(tr("Improve"), fraQuality);
    cmdImprove->setObjectName(QStringLiteral("cmdImprove"));
    chkEvenSizes = new QCheckBox(tr("Even sizes"), fraQuality);
    chkEvenSizes->setObjectName(QStringLiteral("chkEvenSizes"));
    cmdArrangeGroups = new QPushButton(tr("Arrange Groups..."), fraQuality);
    cmdArrangeGroups->setObjectName(QStringLiteral("cmdArrangeGroups"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdImprove);
    buttons->addWidget(chkEvenSizes);
    buttons->addStretch();
    buttons->addWidget(cmdArrangeGroups);
    auto *qualityLayout = new QVBoxLayout(fraQuality);
    qualityLayout->addWidget(readout_);
    qualityLayout->addLayout(buttons);
    if (QBoxLayout *column = boxLayoutHolding(centralWidget()->layout(), fraGroups))
        column->insertWidget(column->indexOf(fraGroups) + 1, fraQuality, 1);
    setTabOrder(cmdExport, cmdImprove);
    setTabOrder(cmdImprove, chkEvenSizes);
    setTabOrder(chkEvenSizes, cmdArrangeGroups);
    // Room for the read-out under the groups, as far as the screen allows.
    const int screenHeight = screen() ? screen()->availableGeometry().height() - 60 : 720;
    resize(width(), std::max(height(), std::min(720, screenHeight)));

    mnuGroups = new QMenu(tr("Gro&ups"), this);
    mnuGroups->setObjectName(QStringLiteral("mnuGroups"));
    menuBar()->insertMenu(mnuHelp->menuAction(), mnuGroups);
    auto sayHere = [this](const QString &text) { statusBar()->showMessage(text); };
    mnuUndo = arrangement_->createUndoAction(mnuGroups, sayHere);
    mnuRedo = arrangement_->createRedoAction(mnuGroups, sayHere);
    mnuGroups->addAction(mnuUndo);
    mnuGroups->addAction(mnuRedo);
    mnuGroups->addSeparator();
    mnuImprove = mnuGroups->addAction(tr("&Improve"));
    mnuImprove->setObjectName(QStringLiteral("mnuImprove"));
    mnuImprove->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuEvenSizes = mnuGroups->addAction(tr("&Even Sizes"));
    mnuEvenSizes->setObjectName(QStringLiteral("mnuEvenSizes"));
    mnuEvenSizes->setCheckable(true);
    mnuGroups->addSeparator();
    mnuArrangeGroups = mnuGroups->addAction(tr("&Arrange Groups..."));
    mnuArrangeGroups->setObjectName(QStringLiteral("mnuArrangeGroups"));
    setUpRules();

    connect(cmdImprove, &QPushButton::clicked, this, &MainWindow::mnuImprove_Click);
    connect(mnuImprove, &QAction::triggered, this, &MainWindow::mnuImprove_Click);
    connect(cmdArrangeGroups, &QPushButton::clicked, this, &MainWindow::mnuArrangeGroups_Click);
    connect(mnuArrangeGroups, &QAction::triggered, this, &MainWindow::mnuArrangeGroups_Click);
    connect(chkEvenSizes, &QCheckBox::toggled, mnuEvenSizes, &QAction::setChecked);
    connect(mnuEvenSizes, &QAction::toggled, chkEvenSizes, &QCheckBox::setChecked);
    connect(arrangement_, &GroupArrangement::changed, this, [this] {
        Groups = arrangement_->groups();
        // A pin changes no line: the box keeps its place then.
        const QString listing = groupListing(Groups);
        if (txtGroups->toPlainText() != QString(listing).replace(QLatin1String("\r\n"), QLatin1String("\n"))) {
            const int scrolled = txtGroups->verticalScrollBar()->value();
            txtGroups->setPlainText(listing);
            txtGroups->verticalScrollBar()->setValue(scrolled);
        }
        const bool any = arrangement_->hasGroups();
        for (QWidget *control : std::initializer_list<QWidget *>{cmdImprove, cmdArrangeGroups})
            control->setEnabled(any);
        mnuImprove->setEnabled(any);
        mnuArrangeGroups->setEnabled(any);
    });
    arrangement_->reset(Groups);
}

void MainWindow::showNewGroups(GroupTable groups)
{
    arrangement_->reset(std::move(groups));
    updateAvoidance();
    txtGroups->verticalScrollBar()->setValue(0);  // new groups are read from the top
    statusBar()->showMessage(tr("Calculated %1 of %2 for %3.")
                                 .arg(countText(Groups.NumGroups, tr("group"), tr("groups")),
                                      countText(Groups.GroupSize, tr("place"), tr("places")),
                                      countText(arrangement_->report().total.people, tr("person"), tr("people"))));
}

void MainWindow::groupsHandedOut()
{
    arrangement_->markSaved();
}

void MainWindow::mnuImprove_Click()
{
    // The count of pairs left is read once Improve is done.
    const QString done = improveWithRules(this, *arrangement_, chkEvenSizes->isChecked());
    statusBar()->showMessage(done + arrangement_->repeatsLeftText());
}

void MainWindow::mnuArrangeGroups_Click()
{
    if (!arrangement_->hasGroups()) {
        statusBar()->showMessage(tr("There are no groups to arrange: press Calculate first."));
        return;
    }
    if (!frmBoard) {
        frmBoard = new BoardWindow(arrangement_, this);
        // One "Even sizes" choice, whichever window Improve is started from.
        frmBoard->evenSizes()->setChecked(chkEvenSizes->isChecked());
        connect(chkEvenSizes, &QCheckBox::toggled, frmBoard->evenSizes(), &QCheckBox::setChecked);
        connect(frmBoard->evenSizes(), &QCheckBox::toggled, chkEvenSizes, &QCheckBox::setChecked);
    }
    frmBoard->showBoard();
    statusBar()->showMessage(tr("Opened the board of %1.").arg(countText(Groups.NumGroups, tr("group"), tr("groups"))));
}

} // namespace quorvia
