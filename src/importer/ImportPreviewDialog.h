// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv/PeopleCsv.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;

namespace quorvia {

// Shows what an import of a CSV file will do before anything is written: the
// people to be added, and every problem with its line and what to do. Import
// (accept) adds the good rows; Cancel writes nothing.
class ImportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    ImportPreviewDialog(const PeopleImport &import, const QString &fileName, QWidget *owner);

    // Whether people the pool already holds are to be imported too.
    bool importDuplicates() const;

private:
    void updateCounts();

    const PeopleImport &import_;
    QString fileName_;
    qsizetype duplicates_ = 0;
    QLabel *lblSummary = nullptr;
    QCheckBox *chkImportDuplicates = nullptr;
    QTableView *tblPeople = nullptr;
    QLabel *lblProblems = nullptr;
    QListWidget *lstProblems = nullptr;
    QPushButton *cmdImport = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace quorvia
