// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "arrangement/GroupArrangement.h"
#include "board/BoardWindow.h"
#include "csv/GroupsCsv.h"
#include "csv/GroupsFile.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "grouping/RecordNumbers.h"
#include "pool/PoolFile.h"
#include "pool/PoolListing.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

// Groups saved to a file and opened again, and the question before groups
// that were worked on are thrown away.
namespace quorvia {
namespace {

// A saved grouping of the largest pool is a few megabytes.
constexpr qint64 kMaxGroupsFileBytes = 64LL * 1024 * 1024;

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

void MainWindow::setUpGroupsFile()
{
    const QString filter = QStringLiteral("Groups (*.csv)");
    dlgSaveGroups = new FileDialog(this, FileDialog::Mode::Save, QStringLiteral("Save Groups As"), filter,
                                   QStringLiteral("csv"));
    dlgSaveGroups->setObjectName(QStringLiteral("dlgSaveGroups"));
    dlgOpenGroups = new FileDialog(this, FileDialog::Mode::Open, QStringLiteral("Open Groups"), filter,
                                   QStringLiteral("csv"));
    dlgOpenGroups->setObjectName(QStringLiteral("dlgOpenGroups"));
    dlgOpenGroups->addFilter(QStringLiteral("Exported groups (*.txt)"), QStringLiteral("txt"));

    mnuOpenGroups = new QAction(tr("Op&en Groups..."), this);
    mnuOpenGroups->setObjectName(QStringLiteral("mnuOpenGroups"));
    mnuSaveGroups = new QAction(tr("Sa&ve Groups..."), this);
    mnuSaveGroups->setObjectName(QStringLiteral("mnuSaveGroups"));
    mnuSaveGroups->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFile->insertActions(mnuExportGroups, {mnuOpenGroups, mnuSaveGroups});
    connect(mnuOpenGroups, &QAction::triggered, this, &MainWindow::mnuOpenGroups_Click);
    connect(mnuSaveGroups, &QAction::triggered, this, &MainWindow::mnuSaveGroups_Click);
}

std::vector<int> MainWindow::groupsRecordNumbers() const
{
    return recordNumbersOf(Groups, groupsPool_, groupsCandidates_);
}

bool MainWindow::confirmLoseGroups(const QString &doing)
{
    if (!arrangement_->hasGroups() || !arrangement_->hasUnsavedChanges())
        return true;
    switch (MessageBox::show(this,
                             tr("The groups were changed since they were last saved, printed or exported.\n"
                                "Save them before %1?")
                                 .arg(doing),
                             MessageBox::Style::SaveDiscardCancel)) {
    case MessageBox::Save:
        return saveGroups();
    case MessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::mnuSaveGroups_Click()
{
    saveGroups();
}

GroupsCsvExtras MainWindow::groupsCsvExtras() const
{
    GroupsCsvExtras extras;
    extras.recordNumbers = groupsRecordNumbers();
    extras.poolName = QFileInfo(groupsPoolPath_).fileName();
    // The pins belong to the arranged groups; groups set aside have none.
    if (arrangement_->hasGroups()) {
        extras.personPins.assign(Groups.slotRecords.size(), 0);
        extras.groupPins.assign(std::size_t(Groups.NumGroups), 0);
        for (int g = 0; g < Groups.NumGroups; ++g) {
            extras.groupPins[std::size_t(g)] = arrangement_->isGroupPinned(g);
            for (int s = 0; s < Groups.GroupSize; ++s)
                extras.personPins[std::size_t(g * Groups.GroupSize + s)] = arrangement_->isPersonPinned({g, s});
        }
    }
    return extras;
}

bool MainWindow::saveGroups()
{
    if (Groups.NumGroups <= 0) {
        showStatus(tr("There are no groups to save: press Calculate first."));
        return false;
    }
    const QString path = chooseExportTarget(dlgSaveGroups);
    if (path.isEmpty())
        return false;
    if (!writeExportFile(path, groupsCsvBytes(Groups, groupsCsvExtras()), tr("The groups")))
        return false;
    groupsHandedOut();
    showStatus(tr("Saved %1 to %2.").arg(countText(Groups.NumGroups, tr("group"), tr("groups")),
                                         QFileInfo(path).fileName()));
    return true;
}

void MainWindow::mnuOpenGroups_Click()
{
    dlgOpenGroups->setStartFolder(QFileInfo(PoolPath).absolutePath());
    if (!dlgOpenGroups->exec())
        return;
    const QString path = dlgOpenGroups->fileName();
    auto refuse = [&](const QString &why) {
        MessageBox::error(this, tr("The groups in \"%1\" could not be opened: %2\nThe groups stay as they were.")
                                    .arg(native(path), why));
    };
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        refuse(QFileInfo::exists(path) ? file.errorString() + QLatin1Char('.') : tr("there is no such file."));
        return;
    }
    if (file.size() > kMaxGroupsFileBytes) {
        refuse(tr("the file is far too large to be a groups file."));
        return;
    }
    std::vector<ProfileRecord> records;
    QString error;
    if (!PoolFile::readAll(PoolPath, &records, &error, PoolFile::Missing::Fail)) {
        refuse(error);
        return;
    }
    GroupsFile read;
    if (!readGroupsFile(file.readAll(), records, QFileInfo(PoolPath).fileName(), &read, &error)) {
        refuse(error);
        return;
    }
    if (!confirmLoseGroups(tr("opening other groups")))
        return;
    groupsPool_ = std::move(records);
    groupsCandidates_.clear();
    for (const int number : read.recordNumbers) {
        if (number > 0)
            groupsCandidates_.push_back(number);
    }
    groupsPoolPath_ = PoolPath;
    arrangement_->reset(read.groups, read.personPins, read.groupPins);
    updateAvoidance();
    const bool otherPool = !read.poolName.isEmpty() && read.poolName != QFileInfo(PoolPath).fileName();
    showStatus(tr("Opened %1 of %2 from %3%4.")
                   .arg(countText(Groups.NumGroups, tr("group"), tr("groups")),
                        countText(arrangement_->report().total.people, tr("person"), tr("people")),
                        QFileInfo(path).fileName(),
                        otherPool ? tr(" (saved from %1: people found by their names)").arg(read.poolName)
                                  : QString()));
}

void MainWindow::setGroupsAside()
{
    const GroupTable former = Groups;
    if (frmBoard)
        frmBoard->close();
    arrangement_->reset(GroupTable{});
    updateAvoidance();  // no groups: no counting, no penalty
    // Every change of the arrangement copies its groups here: restore last.
    Groups = former;
}

} // namespace quorvia
