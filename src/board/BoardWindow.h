// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QTreeView;

namespace quorvia {

class BoardListModel;
class BoardModel;
class WindowPlace;
class BoardView;
class GroupArrangement;

// "Arrange Groups": the groups side by side, changed by hand (drag, or the
// keyboard commands), with their scores following every change. Not modal;
// closing it only hides it, so it comes back where and as large as it was.
class BoardWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit BoardWindow(GroupArrangement *arrangement, QWidget *parent = nullptr);

    void showBoard();
    BoardModel *model() const { return model_; }
    BoardView *view() const { return view_; }
    QCheckBox *evenSizes() const { return chkEvenSizes; }

public slots:
    void mnuMoveToGroup_Click();
    void mnuSwapWith_Click();
    void mnuPinPerson_Click();
    void mnuPinGroup_Click();
    void mnuImprove_Click();
    // A rule for the person picked and others chosen from the pool (BoardWindowRules.cpp).
    void mnuKeepApartFrom_Click();
    void mnuKeepTogetherWith_Click();

private:
    void buildActions();
    void buildList();
    void updateActions();
    void say(const QString &text);

    GroupArrangement *arrangement_;
    BoardModel *model_;
    BoardView *view_;
    QCheckBox *chkEvenSizes = nullptr;
    QLabel *lblTotal = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuMoveToGroup = nullptr;
    QAction *mnuSwapWith = nullptr;
    QAction *mnuPinPerson = nullptr;
    QAction *mnuPinGroup = nullptr;
    QAction *mnuImprove = nullptr;
    QAction *mnuKeepApartFrom = nullptr;
    QAction *mnuKeepTogetherWith = nullptr;
    void addRuleForCurrent(bool apart);
    QAction *mnuClose = nullptr;
    bool placed_ = false;
    // The same groups as a tree (for screen readers), and where the window was.
    BoardListModel *listModel_ = nullptr;
    QTreeView *treeGroups = nullptr;
    QMenu *mnuGroupsMenu_ = nullptr;
    WindowPlace *place_ = nullptr;
};

} // namespace quorvia
