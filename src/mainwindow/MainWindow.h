// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace quorvia {

class AboutDialog;
class BoardWindow;
class CompareWindow;
class RoundsWindow;
class GroupArrangement;
class QualityReadout;
class FileDialog;
class HelpWindow;
class PoolFilterModel;
class PoolListModel;
class PoolLock;
class ProfilesWindow;
class WindowPlace;
struct GroupsCsvExtras;
class RulesWindow;

// The main window (frmMain): the selection list of the current pool, the
// group-size inputs, Calculate and the groups it produced.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const QString &poolPath, QWidget *parent = nullptr);
    ~MainWindow() override;

    const QString &poolPath() const { return PoolPath; }

    // Loads the list, shows the window centred and, for an empty pool, opens
    // the editor. A pool that cannot be opened or created is reported and
    // false returned: the program must not go on with that path.
    bool startUp();

    // Rebuilds the selection list from the pool file; all ticks are cleared.
    // On failure the list is left empty and the reason given in `error`.
    bool LoadPoolList(QString *error = nullptr);
    void ShowSelectionCount();

    // The one close-down path: the editor's save prompt, the help window, the
    // end. False when a save the user asked for failed: the program stays open.
    bool ExitProgram();

    PoolListModel *poolList() const { return poolList_; }
    PoolFilterModel *poolFilter() const { return poolFilter_; }

    // Another window holds the pool: commands that change it must refuse
    // (readOnlyRefusal gives the message).
    bool poolIsReadOnly() const { return readOnly_; }
    // Says in the status bar what the last command did.
    void showStatus(const QString &text);
    ProfilesWindow *profilesWindow();

    // The groups of the last Calculate as arranged since (Improve, the
    // board); printing and export read them. The arrangement keeps them in step.
    GroupTable Groups;
    GroupArrangement *arrangement() const { return arrangement_; }

public slots:
    void cmdSelectAll_Click();
    void cmdClearAll_Click();
    void optAmountGroupsDesired_Click();
    void optPeoplePerGroup_Click();
    void cmdCalculate_Click();
    void mnuOpenNewPool_Click();
    void PrintGroups();
    void ExportGroups();
    void mnuExportGroupsCsv_Click();
    void mnuPrintPool_Click();
    void mnuProfiles_Click();
    void mnuTopics_Click();
    void mnuAbout_Click();
    void mnuImportPeople_Click();
    void mnuExportPoolCsv_Click();
    void mnuImprove_Click();
    void mnuArrangeGroups_Click();
    void mnuRestoreTicks_Click();
    void mnuRules_Click();
    void mnuSaveGroups_Click();
    void mnuOpenGroups_Click();
    void mnuAddRound_Click();
    void mnuRounds_Click();
    void mnuCompareWith_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    // Fills the selection list with `records` of the current pool, no ticks.
    void showPoolList(const std::vector<ProfileRecord> &records);
    void setPoolCaption();
    void centreOnScreen();
    // Set-up and close-down of the pieces that live in their own files.
    void setUpSizeInputs();
    void setUpFileCommands();
    void setUpPeopleCommands();
    // The exports' shared steps (MainWindowFiles.cpp): a target asked for in
    // the pool's folder and checked (empty when cancelled or refused), and the
    // write that replaces it whole, telling the user when it fails.
    QString chooseExportTarget(FileDialog *dialog);
    bool writeExportFile(const QString &path, const QByteArray &bytes, const QString &what);
    void closeHelp();
    // The filter box, opening a person from the list, F1, the status bar
    // (MainWindowFinding.cpp).
    void setUpFinding();
    void openPersonAt(const QModelIndex &index);
    // Locks `path` for this window into `lock`, asking what to do when another
    // window has it. False when the user chose not to open it
    // (MainWindowPoolLock.cpp).
    bool claimPool(const QString &path, std::unique_ptr<PoolLock> &lock, bool &readOnly);
    void setReadOnly(bool readOnly);
    void setUpQuality();
    // Restore Ticks, Calculate's menu item, tab order, accessible names,
    // remembered settings (MainWindowKeyboard.cpp, MainWindowSettings.cpp).
    void setUpRestoreTicks();
    void setUpSettings();
    void rememberRecentPool();
    void fillRecentPools();
    // Opens or creates the pool at `path` in place of the current one; false
    // (reported, the former pool still open) when it cannot be used.
    bool openPoolAt(const QString &path);
    void setUpKeyboardAndNames();
    // Rebuilds the list after the pool changed, keeping the ticks it drops
    // for Restore Ticks; `deletedRecord` (0: none) renumbers them.
    void rebuildPoolList(int deletedRecord = 0);
    void showStatusAfterRebuild(const QString &text);
    // Calculate's result replaces the arranged groups; false when the user
    // keeps arranged groups that were neither printed nor exported.
    bool confirmReplaceArrangedGroups();
    void showNewGroups(GroupTable groups);
    void groupsHandedOut();

    QString PoolPath;
    PoolListModel *poolList_ = nullptr;
    ProfilesWindow *profiles_ = nullptr;
    bool exiting_ = false;
    PoolFilterModel *poolFilter_ = nullptr;
    std::unique_ptr<PoolLock> poolLock_;
    bool readOnly_ = false;
    // The ticks the last rebuild cleared, by record number; and whether the
    // next status text should say they can be restored.
    std::vector<int> ticksToRestore_;
    bool offerRestore_ = false;
    QPushButton *cmdRestoreTicks = nullptr;
    QAction *mnuRestoreTicks = nullptr;
    QAction *mnuCalculate = nullptr;
    QMenu *mnuRecentPools = nullptr;
    WindowPlace *mainPlace_ = nullptr;

    QGroupBox *fraSelect = nullptr;
    QLineEdit *txtFilter = nullptr;
    QListView *lstSelect = nullptr;
    QPushButton *cmdSelectAll = nullptr;
    QPushButton *cmdClearAll = nullptr;
    QRadioButton *optAmountGroupsDesired = nullptr;
    QLineEdit *txtAmountGroupsDesired = nullptr;
    QRadioButton *optPeoplePerGroup = nullptr;
    QLineEdit *txtPeoplePerGroup = nullptr;
    QPushButton *cmdCalculate = nullptr;
    QGroupBox *fraGroups = nullptr;
    QPlainTextEdit *txtGroups = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdExport = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuOpenNewPool = nullptr;
    QAction *mnuSeparator1 = nullptr;
    QAction *mnuExportGroups = nullptr;
    QAction *mnuExportGroupsCsv = nullptr;
    QAction *mnuPrintPool = nullptr;
    QAction *mnuPrintGroups = nullptr;
    QAction *mnuSeparator2 = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuProfiles = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuTopics = nullptr;
    QAction *mnuAbout = nullptr;

    // File commands, help and about (MainWindowFiles.cpp).
    FileDialog *dlgOpenNew = nullptr;
    FileDialog *dlgExport = nullptr;
    FileDialog *dlgExportGroupsCsv = nullptr;
    HelpWindow *helpWindow = nullptr;
    AboutDialog *frmAbout = nullptr;

    // People in and out as CSV (MainWindowPeople.cpp).
    QAction *mnuImportPeople = nullptr;
    QAction *mnuExportPoolCsv = nullptr;
    FileDialog *dlgImportPeople = nullptr;
    FileDialog *dlgExportPoolCsv = nullptr;
    // Group quality, Improve, undo and the board (MainWindowQuality.cpp).
    GroupArrangement *arrangement_ = nullptr;
    QualityReadout *readout_ = nullptr;
    BoardWindow *frmBoard = nullptr;
    QGroupBox *fraQuality = nullptr;
    QPushButton *cmdImprove = nullptr;
    QCheckBox *chkEvenSizes = nullptr;
    QPushButton *cmdArrangeGroups = nullptr;
    QMenu *mnuGroups = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuImprove = nullptr;
    QAction *mnuEvenSizes = nullptr;
    QAction *mnuArrangeGroups = nullptr;
    // The pool's rules and their window (MainWindowRules.cpp).
    void setUpRules();
    void poolRulesFollow(const std::vector<ProfileRecord> &records);
    // After a deletion in the editor: the list, the ticks, the rules, the
    // rounds and the groups' record numbers follow; the status bar says so.
    void personDeleted(int recordNumber, const QString &said);
    // Renumbers the pool's rounds after a deletion; what it did, for the status bar.
    QString roundsFollowDeletion(int recordNumber);
    RulesWindow *frmRules = nullptr;
    QAction *mnuRules = nullptr;

    // Groups saved and opened, the questions before losing them, rounds
    // (MainWindowGroupsFile.cpp, MainWindowRounds.cpp).
    void setUpGroupsFile();
    void setUpRounds();
    // Asks Save / Discard / Cancel when the groups changed since they were
    // last saved, printed or exported; false: keep them, stop.
    bool confirmLoseGroups(const QString &doing);
    bool saveGroups();
    // What the groups CSV needs to be read back exactly: record numbers, pins, the pool.
    GroupsCsvExtras groupsCsvExtras() const;
    // After another pool is opened the groups stay for Print and Export, but
    // the read-out, Improve and the board no longer offer them.
    void setGroupsAside();
    // The pool record number of every slot of the groups.
    std::vector<int> groupsRecordNumbers() const;
    // Earlier rounds whose pairs Improve keeps apart, and the counting of them.
    void updateAvoidance();
    QString repeatsRemainText() const;
    std::vector<ProfileRecord> groupsPool_;  // the records the groups were made from
    std::vector<int> groupsCandidates_;      // their record numbers that take part
    QString groupsPoolPath_;
    FileDialog *dlgSaveGroups = nullptr;
    FileDialog *dlgOpenGroups = nullptr;
    FileDialog *dlgCompareWith = nullptr;
    QAction *mnuSaveGroups = nullptr;
    QAction *mnuOpenGroups = nullptr;
    QAction *mnuAddRound = nullptr;
    QAction *mnuRounds = nullptr;
    QAction *mnuCompareWith = nullptr;
    QPushButton *cmdRounds = nullptr;
    QLabel *lblRepeats = nullptr;
    RoundsWindow *frmRounds = nullptr;
    CompareWindow *frmCompare = nullptr;
    // The current groups beside `other` (groups of record numbers, scoring `otherScore`).
    void compareWith(const QString &what, const std::vector<std::vector<int>> &other, long long otherScore);
    void compareWithRound(int row);
};

} // namespace quorvia
