#pragma once

#include "csv/PeopleCsv.h"

#include <QDialog>

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

private:
    const PeopleImport &import_;
    QLabel *lblSummary = nullptr;
    QTableView *tblPeople = nullptr;
    QLabel *lblProblems = nullptr;
    QListWidget *lstProblems = nullptr;
    QPushButton *cmdImport = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace quorvia
