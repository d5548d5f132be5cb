// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardWindow.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/GroupDescriptions.h"
#include "arrangement/ImproveRun.h"
#include "dialogs/AppSettings.h"
#include "board/BoardListModel.h"
#include "arrangement/ImproveWithRules.h"
#include "board/BoardModel.h"
#include "board/BoardView.h"
#include "pool/PoolListing.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QTreeView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>

namespace quorvia {

BoardWindow::BoardWindow(GroupArrangement *arrangement, QWidget *parent)
    : QMainWindow(parent, Qt::Window), arrangement_(arrangement), model_(new BoardModel(arrangement, this)),
      view_(new BoardView(model_, this))
{
    setObjectName(QStringLiteral("frmBoard"));
    setWindowTitle(tr("Arrange Groups"));
    setCentralWidget(view_);
    buildActions();
    buildList();
    place_ = new WindowPlace(this, QStringLiteral("board"));
    connect(view_, &BoardView::message, this, &BoardWindow::say);
    connect(view_, &BoardView::currentChanged, this, &BoardWindow::updateActions);
    connect(model_, &BoardModel::changed, this, &BoardWindow::updateActions);
    connect(arrangement_, &GroupArrangement::bestPossibleChanged, this, &BoardWindow::updateActions);
    updateActions();
}

void BoardWindow::buildActions()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut) {
        auto *item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setShortcut(shortcut);
        return item;
    };
    QMenu *mnuEdit = menuBar()->addMenu(tr("&Edit"));
    auto sayHere = [this](const QString &text) { say(text); };
    mnuUndo = arrangement_->createUndoAction(this, sayHere);
    mnuRedo = arrangement_->createRedoAction(this, sayHere);
    mnuEdit->addAction(mnuUndo);
    mnuEdit->addAction(mnuRedo);
    mnuEdit->addSeparator();
    mnuClose = action(mnuEdit, "mnuClose", tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W));

    QMenu *mnuPerson = menuBar()->addMenu(tr("&Person"));
    mnuMoveToGroup = action(mnuPerson, "mnuMoveToGroup", tr("&Move to Group..."), QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuSwapWith = action(mnuPerson, "mnuSwapWith", tr("&Swap with..."), QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuPerson->addSeparator();
    mnuPinPerson = action(mnuPerson, "mnuPinPerson", tr("&Pin Person"), QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuPinPerson->setCheckable(true);
    mnuPinGroup = action(mnuPerson, "mnuPinGroup", tr("Pin &Group"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    mnuPinGroup->setCheckable(true);
    mnuPerson->addSeparator();
    mnuKeepApartFrom = action(mnuPerson, "mnuKeepApartFrom", tr("Keep &Apart From..."), QKeySequence());
    mnuKeepTogetherWith = action(mnuPerson, "mnuKeepTogetherWith", tr("Keep &Together With..."), QKeySequence());
    connect(mnuKeepApartFrom, &QAction::triggered, this, &BoardWindow::mnuKeepApartFrom_Click);
    connect(mnuKeepTogetherWith, &QAction::triggered, this, &BoardWindow::mnuKeepTogetherWith_Click);

    QMenu *mnuGroups = menuBar()->addMenu(tr("Gro&ups"));
    mnuGroupsMenu_ = mnuGroups;
    mnuImprove = action(mnuGroups, "mnuImprove", tr("&Improve"), QKeySequence(Qt::CTRL | Qt::Key_I));

    QToolBar *bar = addToolBar(tr("Arrange"));
    bar->setObjectName(QStringLiteral("barBoard"));
    bar->setMovable(false);
    bar->addAction(mnuImprove);
    chkEvenSizes = new QCheckBox(tr("Even sizes"), bar);
    chkEvenSizes->setObjectName(QStringLiteral("chkEvenSizes"));
    bar->addWidget(chkEvenSizes);
    bar->addSeparator();
    lblTotal = new QLabel(bar);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    bar->addWidget(lblTotal);

    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    view_->addActions({mnuMoveToGroup, mnuSwapWith, mnuPinPerson, mnuPinGroup});

    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    connect(mnuMoveToGroup, &QAction::triggered, this, &BoardWindow::mnuMoveToGroup_Click);
    connect(mnuSwapWith, &QAction::triggered, this, &BoardWindow::mnuSwapWith_Click);
    connect(mnuPinPerson, &QAction::triggered, this, &BoardWindow::mnuPinPerson_Click);
    connect(mnuPinGroup, &QAction::triggered, this, &BoardWindow::mnuPinGroup_Click);
    connect(mnuImprove, &QAction::triggered, this, &BoardWindow::mnuImprove_Click);
}

void BoardWindow::updateActions()
{
    const BoardModel::Slot at = view_->current();
    const bool person = model_->isPerson(at);
    mnuMoveToGroup->setEnabled(person && model_->groupCount() > 1);
    mnuSwapWith->setEnabled(person && model_->groupCount() > 1);
    mnuPinPerson->setEnabled(person);
    mnuKeepApartFrom->setEnabled(person);
    mnuKeepTogetherWith->setEnabled(person);
    mnuPinPerson->setChecked(model_->isPinned(at));
    mnuPinGroup->setEnabled(at.group >= 0);
    mnuPinGroup->setChecked(model_->isGroupPinned(at.group));
    mnuImprove->setEnabled(arrangement_->hasGroups());
    const QualityReport &report = arrangement_->report();
    lblTotal->setText(tr("  Total score %1, %2; %3")
                          .arg(signedScore(report.total.score))
                          .arg(countText(report.total.conflicts, tr("conflict"), tr("conflicts")))
                          .arg(bestPossibleWords(report.total.score, arrangement_->bestPossible())));
    lblTotal->setToolTip(bestPossibleToolTip(report.total.score, arrangement_->bestPossible()));
}

void BoardWindow::buildList()
{
    // The cards are painted; this tree holds the same groups and people as
    // items that a screen reader reads and the keyboard walks.
    auto *dock = new QDockWidget(tr("Groups as a List"), this);
    dock->setObjectName(QStringLiteral("dockGroupsList"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    listModel_ = new BoardListModel(model_, this);
    treeGroups = new QTreeView(dock);
    treeGroups->setObjectName(QStringLiteral("treeGroups"));
    treeGroups->setModel(listModel_);
    treeGroups->setHeaderHidden(true);
    treeGroups->setUniformRowHeights(true);
    treeGroups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeGroups->setAccessibleName(tr("Groups and people"));
    treeGroups->setAccessibleDescription(
        tr("Each group with its score, and under it its people; the Person menu acts on the one chosen here"));
    dock->setWidget(treeGroups);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    QAction *toggle = dock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuGroupsAsList"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    mnuGroupsMenu_->addSeparator();
    mnuGroupsMenu_->addAction(toggle);

    view_->setAccessibleName(tr("Board of groups"));
    view_->setAccessibleDescription(tr("The groups as cards; the list beside it (%1) holds the same people")
                                        .arg(toggle->shortcut().toString(QKeySequence::NativeText)));
    chkEvenSizes->setAccessibleName(tr("Even sizes"));
    chkEvenSizes->setAccessibleDescription(tr("Improve first makes the group sizes differ by at most one"));

    // One current person for both: the tree follows the cards and the cards the tree.
    auto expandAll = [this] { treeGroups->expandAll(); };
    connect(listModel_, &QAbstractItemModel::modelReset, this, expandAll);
    expandAll();
    connect(treeGroups->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &at) {
        const BoardModel::Slot chosen = listModel_->slotOf(at);
        if (chosen.group >= 0 && chosen.slot >= 0 && !(view_->current() == chosen))
            view_->setCurrent(chosen);
    });
    auto follow = [this] {
        const QModelIndex at = listModel_->indexOf(view_->current());
        if (at.isValid() && treeGroups->currentIndex() != at)
            treeGroups->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    };
    connect(view_, &BoardView::currentChanged, this, follow);
    connect(listModel_, &QAbstractItemModel::modelReset, this, follow);
}

void BoardWindow::showBoard()
{
    if (!placed_) {
        if (!place_->restored())
            resize(980, 680);
        placed_ = true;
        say(tr("Drag a person onto a free place or a group's title to move them, onto a person to swap the two."));
    }
    show();
    raise();
    activateWindow();
    view_->setFocus();
}

void BoardWindow::say(const QString &text)
{
    if (!text.isEmpty())
        statusBar()->showMessage(text);
}

void BoardWindow::mnuMoveToGroup_Click()
{
    const BoardModel::Slot person = view_->current();
    if (!model_->isPerson(person))
        return;
    // Not modal to the program: the question stays with the board.
    auto *ask = new QInputDialog(this);
    ask->setObjectName(QStringLiteral("dlgMoveToGroup"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(tr("Move to Group"));
    ask->setInputMode(QInputDialog::IntInput);
    ask->setIntRange(1, model_->groupCount());
    ask->setIntValue(person.group + 1 < model_->groupCount() ? person.group + 2 : 1);
    ask->setLabelText(tr("Move %1 to group:").arg(model_->slotText(person)));
    // The main window stays usable meanwhile: if it changed the groups, the
    // slot may hold somebody else by now.
    const unsigned long long revision = arrangement_->revision();
    connect(ask, &QInputDialog::intValueSelected, this, [this, person, revision](int number) {
        if (arrangement_->revision() != revision) {
            say(tr("The groups changed meanwhile: nobody was moved. Choose the person again."));
            return;
        }
        if (!model_->isPerson(person))
            return;
        BoardModel::Slot landed;
        say(model_->moveToGroup(person, number - 1, &landed));
        if (landed.group >= 0 && view_->current() == person)
            view_->setCurrent(landed);
    });
    ask->open();
}

void BoardWindow::mnuSwapWith_Click()
{
    view_->beginSwapPick(view_->current());
}

void BoardWindow::mnuPinPerson_Click()
{
    const BoardModel::Slot at = view_->current();
    if (!model_->isPerson(at))
        return;
    arrangement_->setPersonPinned(at, !model_->isPinned(at));
    say(tr("Done: %1").arg(arrangement_->undoStack()->undoText()));
}

void BoardWindow::mnuPinGroup_Click()
{
    const int group = view_->current().group;
    if (group < 0)
        return;
    arrangement_->setGroupPinned(group, !model_->isGroupPinned(group));
    say(tr("Done: %1").arg(arrangement_->undoStack()->undoText()));
}

void BoardWindow::mnuImprove_Click()
{
    // The count of pairs left is read once Improve is done.
    const QString done = improveWithRules(this, *arrangement_, chkEvenSizes->isChecked());
    say(done + arrangement_->repeatsLeftText());
}

} // namespace quorvia
