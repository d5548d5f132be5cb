// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv/PeopleCsv.h"

#include <QAbstractTableModel>

namespace quorvia {

// The rows an import will add, as the preview's table shows them: the line of
// the file, then the texts and trait lists as they will be stored.
class ImportRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ImportRowsModel(const std::vector<ImportedRow> &rows, QObject *parent);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<ImportedRow> &rows_;
};

} // namespace quorvia
