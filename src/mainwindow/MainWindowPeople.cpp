// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "csv/PeopleCsv.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "importer/ImportPreviewDialog.h"
#include "importer/ImportReading.h"
#include "pool/PoolAppend.h"
#include "pool/PoolFile.h"
#include "pool/PoolListing.h"
#include "pool/PoolLock.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

// People in and out of the pool as CSV: import with a preview, export of the
// whole pool.
namespace quorvia {
namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }
QString people(qsizetype count) { return countText(count, QObject::tr("person"), QObject::tr("people")); }

} // namespace

void MainWindow::setUpPeopleCommands()
{
    const QString csv = QStringLiteral("CSV (*.csv)");
    dlgImportPeople = new FileDialog(this, FileDialog::Mode::Open, QStringLiteral("Import People"), csv,
                                     QStringLiteral("csv"));
    dlgImportPeople->setObjectName(QStringLiteral("dlgImportPeople"));
    dlgExportPoolCsv = new FileDialog(this, FileDialog::Mode::Save, QStringLiteral("Export Pool as CSV"), csv,
                                      QStringLiteral("csv"));
    dlgExportPoolCsv->setObjectName(QStringLiteral("dlgExportPoolCsv"));

    // Beside the other file commands, before the groups export.
    mnuImportPeople = new QAction(QStringLiteral("&Import People..."), this);
    mnuImportPeople->setObjectName(QStringLiteral("mnuImportPeople"));
    mnuExportPoolCsv = new QAction(QStringLiteral("Export Pool as &CSV..."), this);
    mnuExportPoolCsv->setObjectName(QStringLiteral("mnuExportPoolCsv"));
    mnuFile->insertActions(mnuExportGroups, {mnuImportPeople, mnuExportPoolCsv});
    connect(mnuImportPeople, &QAction::triggered, this, &MainWindow::mnuImportPeople_Click);
    connect(mnuExportPoolCsv, &QAction::triggered, this, &MainWindow::mnuExportPoolCsv_Click);
}

void MainWindow::mnuImportPeople_Click()
{
    // Another window holds the pool: adding people behind its back is refused
    // before the user picks a file, as saving and deleting are.
    if (poolIsReadOnly()) {
        MessageBox::error(this, readOnlyRefusal(PoolPath, tr("Nobody was imported.")));
        return;
    }
    dlgImportPeople->setStartFolder(QFileInfo(PoolPath).absolutePath());
    if (!dlgImportPeople->exec())
        return;
    const QString path = dlgImportPeople->fileName();
    const QString name = QFileInfo(path).fileName();
    PeopleImport import = readPeopleCsvWithProgress(this, path);
    if (import.cancelled) {
        showStatus(tr("Import of %1 cancelled; nothing was written.").arg(name));
        return;
    }
    if (!import.failure.isEmpty()) {
        MessageBox::error(this, tr("%1\nNothing was imported from \"%2\".").arg(import.failure, native(path)));
        return;
    }

    std::vector<ProfileRecord> pool;
    QString error;
    if (!PoolFile::readAll(PoolPath, &pool, &error)) {
        MessageBox::error(this, tr("%1\nNothing was imported.").arg(error));
        return;
    }
    markAlreadyInPool(import, pool);
    ImportPreviewDialog preview(import, path, this);
    if (preview.exec() != QDialog::Accepted) {
        showStatus(tr("Import of %1 cancelled; nothing was written.").arg(name));
        return;
    }

    std::vector<ProfileRecord> records;
    records.reserve(import.rows.size());
    for (const ImportedRow &row : import.rows)
        records.push_back(row.record);
    AppendOptions options;
    options.skipDuplicates = !preview.importDuplicates();
    AppendResult result;
    if (!appendRecords(PoolPath, records, &error, options, &result)) {
        MessageBox::error(this, tr("%1\nNothing was imported: the pool holds what it held before.").arg(error));
        return;
    }
    if (!LoadPoolList(&error))
        MessageBox::error(this, error);
    showStatus(tr("Imported %1 from %2; %3 left out%4.")
                   .arg(people(result.added), name, countText(import.rowsLeftOut, tr("row"), tr("rows")),
                        result.duplicates > 0 ? tr(", %1 already in the pool").arg(people(result.duplicates))
                                              : QString()));
}

void MainWindow::mnuExportPoolCsv_Click()
{
    const QString path = chooseExportTarget(dlgExportPoolCsv);
    if (path.isEmpty())
        return;
    std::vector<ProfileRecord> records;
    QString error;
    if (!PoolFile::readAll(PoolPath, &records, &error)) {
        MessageBox::error(this, error);
        return;
    }
    if (writeExportFile(path, poolCsvBytes(records), tr("The pool")))
        showStatus(tr("Exported %1 to %2.").arg(people(qsizetype(records.size())), QFileInfo(path).fileName()));
}

} // namespace quorvia
