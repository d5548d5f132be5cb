// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "csv/GroupsCsv.h"
#include "grouping/GroupListing.h"
#include "help/AboutDialog.h"
#include "help/HelpWindow.h"
#include "dialogs/FileDialog.h"
#include "dialogs/LinePrinter.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/AtomicFile.h"
#include "pool/PoolFile.h"
#include "pool/PoolListing.h"
#include "pool/PoolLock.h"
#include "pool/SafeTarget.h"
#include "profiles/ProfilesWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStatusBar>

// Opening and creating pools, printing, export, help and about.
namespace quorvia {
namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

void MainWindow::setUpFileCommands()
{
    dlgOpenNew = new FileDialog(this, FileDialog::Mode::Open, QStringLiteral("Open/New Pool"),
                                QStringLiteral("Quorvia (*.Qvr)"), QStringLiteral("Qvr"));
    dlgOpenNew->setObjectName(QStringLiteral("dlgOpenNew"));
    dlgExport = new FileDialog(this, FileDialog::Mode::Save, QStringLiteral("Export Groups As"),
                               QStringLiteral("Text (*.txt)"), QStringLiteral("txt"));
    dlgExport->setObjectName(QStringLiteral("dlgExport"));
    dlgExportGroupsCsv = new FileDialog(this, FileDialog::Mode::Save, QStringLiteral("Export Groups as CSV"),
                                        QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
    dlgExportGroupsCsv->setObjectName(QStringLiteral("dlgExportGroupsCsv"));
}

void MainWindow::mnuOpenNewPool_Click()
{
    dlgOpenNew->setStartFolder(QFileInfo(PoolPath).absolutePath());
    if (dlgOpenNew->exec())
        openPoolAt(dlgOpenNew->fileName());
}

bool MainWindow::openPoolAt(const QString &chosen)
{
    // Nothing changes until the chosen file is known to be usable for reading
    // and writing (a missing one is created here, as a new pool) and has been
    // read: a pool that cannot be opened leaves the former one in force, list
    // and ticks included. Changed groups are asked about first, before a new
    // pool file is made.
    if (!confirmLoseGroups(tr("opening another pool")))
        return false;
    std::vector<ProfileRecord> records;
    QString error;
    PoolFile pool(chosen);
    const bool usable = pool.openForWriting(&error);
    pool.close();
    if (!usable || !PoolFile::readAll(chosen, &records, &error)) {
        MessageBox::error(this, error + QLatin1Char('\n') + tr("The pool \"%1\" stays open.").arg(native(PoolPath)));
        return false;
    }
    auto lock = std::make_unique<PoolLock>();
    bool readOnly = false;
    if (!claimPool(chosen, lock, readOnly))
        return false;
    poolLock_ = std::move(lock);
    setReadOnly(readOnly);

    PoolPath = chosen;
    showPoolList(records);
    ticksToRestore_.clear();  // record numbers of another pool
    setPoolCaption();
    setGroupsAside();
    txtGroups->clear();

    ProfilesWindow *editor = profilesWindow();
    editor->setPoolPath(PoolPath);
    editor->loadFirstRecord();
    showStatus(tr("Opened %1%2: %3.")
                   .arg(QFileInfo(PoolPath).fileName(), readOnly ? tr(" read-only") : QString(),
                        countText(poolList_->itemCount(), tr("person"), tr("people"))));
    rememberRecentPool();
    if (PoolFile::fileSize(PoolPath) == 0 && !readOnly)
        editor->showModal();
    return true;
}

void MainWindow::PrintGroups()
{
    int pages = 0;
    if (LinePrinter::print(this, tr("Quorvia Groups"), groupsDocument(Groups), &pages)) {
        groupsHandedOut();
        showStatus(tr("Printed %1.").arg(countText(pages, tr("page"), tr("pages"))));
    }
}

QString MainWindow::chooseExportTarget(FileDialog *dialog)
{
    dialog->setStartFolder(QFileInfo(PoolPath).absolutePath());
    // A slip of the name must not turn the pool (under any name) into a text
    // file, nor a device or a pipe into a file; refused before the dialog
    // asks whether to replace it.
    dialog->setRefusal([this](const QString &path) { return exportTargetProblem(path, PoolPath); });
    return dialog->exec() ? dialog->fileName() : QString();
}

bool MainWindow::writeExportFile(const QString &path, const QByteArray &bytes, const QString &what)
{
    // Written beside the target and renamed into place: a failure never
    // leaves a half-written file nor spoils the one that was there.
    QString reason;
    if (replaceFileContents(path, bytes, &reason))
        return true;
    MessageBox::error(this, tr("%1 could not be exported to \"%2\": %3.\n"
                               "Nothing was written; a file of that name keeps its former content.")
                                .arg(what, native(path), reason.isEmpty() ? tr("unknown error") : reason));
    return false;
}

void MainWindow::ExportGroups()
{
    const QString path = chooseExportTarget(dlgExport);
    if (path.isEmpty())
        return;
    // The text document whatever the name's extension: CSV has its own command.
    if (!writeExportFile(path, groupsDocumentBytes(Groups), tr("The groups")))
        return;
    groupsHandedOut();
    showStatus(tr("Exported %1 to %2.").arg(countText(Groups.NumGroups, tr("group"), tr("groups")), QFileInfo(path).fileName()));
}

void MainWindow::mnuExportGroupsCsv_Click()
{
    const QString path = chooseExportTarget(dlgExportGroupsCsv);
    // The record numbers and pins let Open Groups read it back exactly.
    if (path.isEmpty() || !writeExportFile(path, groupsCsvBytes(Groups, groupsCsvExtras()), tr("The groups")))
        return;
    groupsHandedOut();
    showStatus(tr("Exported %1 as CSV to %2.")
                   .arg(countText(Groups.NumGroups, tr("group"), tr("groups")), QFileInfo(path).fileName()));
}

void MainWindow::mnuPrintPool_Click()
{
    std::vector<ProfileRecord> records;
    QString error;
    if (!PoolFile::readAll(PoolPath, &records, &error)) {
        MessageBox::error(this, error);
        return;
    }
    // Record order, every record, ticked or not; a blank record is an empty line.
    QStringList lines{QStringLiteral("Quorvia"), QString(), QString(), QStringLiteral("Pool"), QString()};
    lines.reserve(qsizetype(records.size()) + lines.size());
    for (const ProfileRecord &record : records)
        lines << itemText(record);
    int pages = 0;
    if (LinePrinter::print(this, tr("Quorvia Pool"), lines, &pages))
        showStatus(tr("Printed %1.").arg(countText(pages, tr("page"), tr("pages"))));
}

void MainWindow::mnuTopics_Click()
{
    if (!helpWindow)
        helpWindow = new HelpWindow(this);
    helpWindow->showTopics();
}

void MainWindow::closeHelp()
{
    if (helpWindow)
        helpWindow->close();
}

void MainWindow::mnuAbout_Click()
{
    if (!frmAbout)
        frmAbout = new AboutDialog(this);
    frmAbout->showModal();
}

} // namespace quorvia
