// SPDX-License-Identifier: GPL-3.0-or-later
#include "importer/ImportPreviewDialog.h"

#include "importer/ImportRowsModel.h"
#include "pool/PoolListing.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvia {
namespace {

QString kindText(ImportProblem::Kind kind)
{
    switch (kind) {
    case ImportProblem::Kind::LeftOut: return QObject::tr("left out");
    case ImportProblem::Kind::Changed: return QObject::tr("changed");
    case ImportProblem::Kind::Note: break;
    }
    return QObject::tr("note");
}

QString separatorName(char separator)
{
    switch (separator) {
    case ';': return QObject::tr("semicolons");
    case '\t': return QObject::tr("TABs");
    default: return QObject::tr("commas");
    }
}

} // namespace

ImportPreviewDialog::ImportPreviewDialog(const PeopleImport &import, const QString &fileName, QWidget *owner)
    : QDialog(owner), import_(import), fileName_(fileName)
{
    setObjectName(QStringLiteral("frmImportPreview"));
    setWindowTitle(tr("Import People - %1").arg(QFileInfo(fileName).fileName()));
    setWindowModality(Qt::WindowModal);

    duplicates_ = std::count_if(import.rows.cbegin(), import.rows.cend(),
                                [](const ImportedRow &row) { return row.alreadyInPool; });
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    chkImportDuplicates = new QCheckBox(tr("Import &duplicates too"), this);
    chkImportDuplicates->setObjectName(QStringLiteral("chkImportDuplicates"));
    chkImportDuplicates->setToolTip(tr("People with the same first name, last name and position as someone in the "
                                       "pool are left out unless this is ticked."));
    chkImportDuplicates->setVisible(duplicates_ > 0);

    tblPeople = new QTableView(this);
    tblPeople->setObjectName(QStringLiteral("tblPeople"));
    tblPeople->setModel(new ImportRowsModel(import_.rows, this));
    tblPeople->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPeople->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblPeople->verticalHeader()->hide();
    // Fixed row heights and no fitting to contents keep a large file quick to show.
    tblPeople->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblPeople->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tblPeople->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    tblPeople->horizontalHeader()->setStretchLastSection(true);

    lblProblems = new QLabel(tr("Problems (%1):").arg(import.problems.size()), this);
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lstProblems = new QListWidget(this);
    lstProblems->setObjectName(QStringLiteral("lstProblems"));
    lstProblems->setUniformItemSizes(true);
    lstProblems->setWordWrap(false);
    QStringList problems;
    problems.reserve(qsizetype(import.problems.size()));
    for (const ImportProblem &problem : import.problems)
        problems << tr("Line %1 (%2): %3").arg(problem.line).arg(kindText(problem.kind), problem.message);
    if (problems.isEmpty())
        problems << tr("None: every row can be imported as it is.");
    lstProblems->addItems(problems);
    // A long message runs past the edge; its item shows it whole on hovering.
    for (int i = 0; i < lstProblems->count(); ++i)
        lstProblems->item(i)->setToolTip(lstProblems->item(i)->text());
    lblProblems->setBuddy(lstProblems);

    cmdImport = new QPushButton(this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdCancel = new QPushButton(tr("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setDefault(true);
    connect(cmdImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(chkImportDuplicates);
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(tblPeople, 3);
    layout->addWidget(lblProblems);
    layout->addWidget(lstProblems, 2);
    layout->addLayout(buttons);
    connect(chkImportDuplicates, &QCheckBox::toggled, this, &ImportPreviewDialog::updateCounts);
    updateCounts();
    resize(820, 560);
}

bool ImportPreviewDialog::importDuplicates() const { return chkImportDuplicates->isChecked(); }

void ImportPreviewDialog::updateCounts()
{
    const qsizetype adding = qsizetype(import_.rows.size()) - (importDuplicates() ? 0 : duplicates_);
    const QString already = duplicates_ == 0 ? QString()
        : importDuplicates()
        ? tr(" %1 already in the pool and will be added again.")
              .arg(countText(duplicates_, tr("person is"), tr("people are")))
        : tr(" %1 already in the pool and left out (tick \"Import duplicates too\" to add them again).")
              .arg(countText(duplicates_, tr("person is"), tr("people are")));
    lblSummary->setText(tr("%1 from \"%2\" will be added to the pool; %3 left out.%4 "
                           "The file was read as %5, its fields separated by %6. Nothing is written until you "
                           "press Import.")
                            .arg(countText(adding, tr("person"), tr("people")), QDir::toNativeSeparators(fileName_),
                                 countText(import_.rowsLeftOut, tr("row is"), tr("rows are")), already,
                                 import_.encodingName, separatorName(import_.separator)));
    cmdImport->setText(adding > 0 ? tr("Import %1").arg(countText(adding, tr("Person"), tr("People"))) : tr("Import"));
    cmdImport->setEnabled(adding > 0);
}

} // namespace quorvia
