// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "dialogs/AppSettings.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/PoolFilterModel.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"
#include "pool/PoolLock.h"
#include "pool/PoolListing.h"
#include "profiles/ProfilesWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <utility>

namespace quorvia {

MainWindow::MainWindow(const QString &poolPath, QWidget *parent)
    : QMainWindow(parent), PoolPath(poolPath), poolList_(new PoolListModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    buildMenus();
    setUpSizeInputs();
    setUpFileCommands();
    setUpFinding();
    setUpPeopleCommands();
    setUpQuality();
    setUpRestoreTicks();
    setUpKeyboardAndNames();
    setUpSettings();
    setUpGroupsFile();
    setUpRounds();
    setPoolCaption();
    ShowSelectionCount();
    connect(poolList_, &PoolListModel::ticksChanged, this, &MainWindow::ShowSelectionCount);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    fraSelect = new QGroupBox(central);
    fraSelect->setObjectName(QStringLiteral("fraSelect"));
    lstSelect = new QListView(fraSelect);
    lstSelect->setObjectName(QStringLiteral("lstSelect"));
    lstSelect->setModel(poolList_);
    lstSelect->setUniformItemSizes(true);  // keeps large pools quick to lay out
    lstSelect->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSelect->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cmdSelectAll = new QPushButton(QStringLiteral("Select All"), fraSelect);
    cmdSelectAll->setObjectName(QStringLiteral("cmdSelectAll"));
    cmdClearAll = new QPushButton(QStringLiteral("Clear All"), fraSelect);
    cmdClearAll->setObjectName(QStringLiteral("cmdClearAll"));
    auto *selectButtons = new QHBoxLayout;
    selectButtons->addWidget(cmdSelectAll);
    selectButtons->addWidget(cmdClearAll);
    auto *selectLayout = new QVBoxLayout(fraSelect);
    selectLayout->addWidget(lstSelect);
    selectLayout->addLayout(selectButtons);

    optAmountGroupsDesired = new QRadioButton(QStringLiteral("Amount of Groups Desired:"), central);
    optAmountGroupsDesired->setObjectName(QStringLiteral("optAmountGroupsDesired"));
    optAmountGroupsDesired->setChecked(true);
    txtAmountGroupsDesired = new QLineEdit(central);
    txtAmountGroupsDesired->setObjectName(QStringLiteral("txtAmountGroupsDesired"));
    optPeoplePerGroup = new QRadioButton(QStringLiteral("People Per Group:"), central);
    optPeoplePerGroup->setObjectName(QStringLiteral("optPeoplePerGroup"));
    txtPeoplePerGroup = new QLineEdit(central);
    txtPeoplePerGroup->setObjectName(QStringLiteral("txtPeoplePerGroup"));
    for (QLineEdit *box : {txtAmountGroupsDesired, txtPeoplePerGroup}) {
        box->setMaxLength(3);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    }
    txtPeoplePerGroup->setEnabled(false);
    txtPeoplePerGroup->setFocusPolicy(Qt::NoFocus);
    cmdCalculate = new QPushButton(QStringLiteral("Calculate"), central);
    cmdCalculate->setObjectName(QStringLiteral("cmdCalculate"));

    fraGroups = new QGroupBox(QStringLiteral("Groups"), central);
    fraGroups->setObjectName(QStringLiteral("fraGroups"));
    txtGroups = new QPlainTextEdit(fraGroups);
    txtGroups->setObjectName(QStringLiteral("txtGroups"));
    txtGroups->setReadOnly(true);
    txtGroups->setLineWrapMode(QPlainTextEdit::NoWrap);
    cmdPrint = new QPushButton(QStringLiteral("Print"), fraGroups);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdExport = new QPushButton(QStringLiteral("Export"), fraGroups);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    auto *groupButtons = new QHBoxLayout;
    groupButtons->addStretch();
    groupButtons->addWidget(cmdPrint);
    groupButtons->addWidget(cmdExport);
    auto *groupsLayout = new QVBoxLayout(fraGroups);
    groupsLayout->addWidget(txtGroups);
    groupsLayout->addLayout(groupButtons);

    auto *sizes = new QGridLayout;
    sizes->addWidget(optAmountGroupsDesired, 0, 0);
    sizes->addWidget(txtAmountGroupsDesired, 0, 1);
    sizes->addWidget(optPeoplePerGroup, 1, 0);
    sizes->addWidget(txtPeoplePerGroup, 1, 1);
    sizes->addWidget(cmdCalculate, 0, 2, 2, 1, Qt::AlignVCenter);
    sizes->setColumnStretch(3, 1);

    auto *right = new QVBoxLayout;
    right->addLayout(sizes);
    right->addWidget(fraGroups, 1);

    auto *main = new QHBoxLayout(central);
    main->addWidget(fraSelect, 2);
    main->addLayout(right, 3);
    resize(820, 560);

    // Reading order: the list and its buttons, the size inputs, Calculate, the results.
    setTabOrder(lstSelect, cmdSelectAll);
    setTabOrder(cmdSelectAll, cmdClearAll);
    setTabOrder(cmdClearAll, optAmountGroupsDesired);
    setTabOrder(optAmountGroupsDesired, txtAmountGroupsDesired);
    setTabOrder(txtAmountGroupsDesired, optPeoplePerGroup);
    setTabOrder(optPeoplePerGroup, txtPeoplePerGroup);
    setTabOrder(txtPeoplePerGroup, cmdCalculate);
    setTabOrder(cmdCalculate, txtGroups);
    setTabOrder(txtGroups, cmdPrint);
    setTabOrder(cmdPrint, cmdExport);

    connect(cmdSelectAll, &QPushButton::clicked, this, &MainWindow::cmdSelectAll_Click);
    connect(cmdClearAll, &QPushButton::clicked, this, &MainWindow::cmdClearAll_Click);
    connect(optAmountGroupsDesired, &QRadioButton::clicked, this, &MainWindow::optAmountGroupsDesired_Click);
    connect(optPeoplePerGroup, &QRadioButton::clicked, this, &MainWindow::optPeoplePerGroup_Click);
    connect(cmdCalculate, &QPushButton::clicked, this, &MainWindow::cmdCalculate_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &MainWindow::PrintGroups);
    connect(cmdExport, &QPushButton::clicked, this, &MainWindow::ExportGroups);
}

void MainWindow::buildMenus()
{
    auto action = [this](QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(name);
        item->setShortcut(shortcut);
        return item;
    };
    auto separator = [](QMenu *menu, const QString &name) {
        QAction *line = menu->addSeparator();
        line->setObjectName(name);
        return line;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuOpenNewPool = action(mnuFile, QStringLiteral("mnuOpenNewPool"), QStringLiteral("Ope&n/New Pool..."),
                            QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSeparator1 = separator(mnuFile, QStringLiteral("mnuSeparator1"));
    mnuExportGroups = action(mnuFile, QStringLiteral("mnuExportGroups"), QStringLiteral("Exp&ort Groups..."), {});
    mnuExportGroupsCsv = action(mnuFile, QStringLiteral("mnuExportGroupsCsv"),
                                QStringLiteral("Export Groups as C&SV..."), {});
    mnuPrintPool = action(mnuFile, QStringLiteral("mnuPrintPool"), QStringLiteral("Print &Pool"),
                          QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintGroups = action(mnuFile, QStringLiteral("mnuPrintGroups"), QStringLiteral("Print &Groups"),
                            QKeySequence(Qt::CTRL | Qt::Key_G));
    mnuSeparator2 = separator(mnuFile, QStringLiteral("mnuSeparator2"));
    mnuExit = action(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuProfiles = menuBar()->addAction(QStringLiteral("P&rofiles..."));
    mnuProfiles->setObjectName(QStringLiteral("mnuProfiles"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuTopics = action(mnuHelp, QStringLiteral("mnuTopics"), QStringLiteral("&Topics"), {});
    separator(mnuHelp, QStringLiteral("mnuSeparator3"));
    mnuAbout = action(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About"), {});

    connect(mnuOpenNewPool, &QAction::triggered, this, &MainWindow::mnuOpenNewPool_Click);
    connect(mnuExportGroups, &QAction::triggered, this, &MainWindow::ExportGroups);
    connect(mnuExportGroupsCsv, &QAction::triggered, this, &MainWindow::mnuExportGroupsCsv_Click);
    connect(mnuPrintPool, &QAction::triggered, this, &MainWindow::mnuPrintPool_Click);
    connect(mnuPrintGroups, &QAction::triggered, this, &MainWindow::PrintGroups);
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuProfiles, &QAction::triggered, this, &MainWindow::mnuProfiles_Click);
    connect(mnuTopics, &QAction::triggered, this, &MainWindow::mnuTopics_Click);
    connect(mnuAbout, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
}

void MainWindow::setPoolCaption()
{
    setWindowTitle(QStringLiteral("Quorvia - ") + QDir::toNativeSeparators(PoolPath));
}

void MainWindow::centreOnScreen()
{
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool MainWindow::startUp()
{
    QString error;
    if (!LoadPoolList(&error)) {
        MessageBox::error(this, error);
        return false;
    }
    auto lock = std::make_unique<PoolLock>();
    bool readOnly = false;
    if (!claimPool(PoolPath, lock, readOnly))
        return false;
    poolLock_ = std::move(lock);
    setReadOnly(readOnly);
    show();
    if (!mainPlace_->restored())
        centreOnScreen();
    rememberRecentPool();
    if (PoolFile::fileSize(PoolPath) == 0 && !readOnly_)
        profilesWindow()->showModal();
    return true;
}

bool MainWindow::LoadPoolList(QString *error)
{
    std::vector<ProfileRecord> records;
    const bool ok = PoolFile::readAll(PoolPath, &records, error);
    showPoolList(ok ? records : std::vector<ProfileRecord>());
    poolRulesFollow(ok ? records : std::vector<ProfileRecord>());
    return ok;
}

void MainWindow::showPoolList(const std::vector<ProfileRecord> &records)
{
    poolList_->setItems(sortedPoolList(records));
    ShowSelectionCount();
}

void MainWindow::ShowSelectionCount()
{
    fraSelect->setTitle(QStringLiteral("Select (%1 Selected)").arg(poolList_->tickCount()));
}

// While a filter is set, the buttons act on the people it shows.
void MainWindow::cmdSelectAll_Click()
{
    poolFilter_->isFiltering() ? poolList_->setRowsTicked(poolFilter_->visibleSourceRows(), true)
                               : poolList_->setAllTicked(true);
    ShowSelectionCount();
}

void MainWindow::cmdClearAll_Click()
{
    poolFilter_->isFiltering() ? poolList_->setRowsTicked(poolFilter_->visibleSourceRows(), false)
                               : poolList_->setAllTicked(false);
    ShowSelectionCount();
}

ProfilesWindow *MainWindow::profilesWindow()
{
    if (!profiles_) {
        profiles_ = new ProfilesWindow(this);
        profiles_->setPoolPath(PoolPath);
        profiles_->setReadOnly(readOnly_);
        connect(profiles_, &ProfilesWindow::statusMessage, this, &MainWindow::showStatusAfterRebuild);
        connect(profiles_, &ProfilesWindow::poolChanged, this, [this] { rebuildPoolList(); });
        connect(profiles_, &ProfilesWindow::profileDeleted, this, &MainWindow::personDeleted);
    }
    return profiles_;
}

void MainWindow::mnuProfiles_Click()
{
    profilesWindow()->showModal();
}

bool MainWindow::ExitProgram()
{
    if (exiting_)
        return true;
    if (!confirmLoseGroups(tr("quitting")))
        return false;
    // A save that the user asked for and that failed keeps the program open,
    // so the typed profile is not lost with it.
    if (profiles_ && !profiles_->PromptToSaveChanges())
        return false;
    exiting_ = true;
    closeHelp();
    QCoreApplication::quit();
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (ExitProgram())
        event->accept();
    else
        event->ignore();
}

} // namespace quorvia
