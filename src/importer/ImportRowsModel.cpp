// SPDX-License-Identifier: GPL-3.0-or-later
#include "importer/ImportRowsModel.h"

#include "pool/TraitCatalogue.h"

namespace quorvia {

ImportRowsModel::ImportRowsModel(const std::vector<ImportedRow> &rows, QObject *parent)
    : QAbstractTableModel(parent), rows_(rows)
{
}

int ImportRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int ImportRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2 + int(peopleCsvColumns().size());
}

QVariant ImportRowsModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const ImportedRow &row = rows_[std::size_t(index.row())];
    const ProfileRecord &r = row.record;
    switch (index.column()) {
    case 0: return row.line;
    case 1: return trimmedField(r.FirstName);
    case 2: return trimmedField(r.LastName);
    case 3: return trimmedField(r.Position);
    case 4: return traitNames(r.OwnAttributes);
    case 5: return traitNames(r.CompatibleWith);
    case 6: return traitNames(r.IncompatibleWith);
    case 7: return row.alreadyInPool ? tr("already in the pool") : QString();
    default: return {};
    }
}

QVariant ImportRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return tr("Line");
    return section <= int(peopleCsvColumns().size()) ? peopleCsvColumns().value(section - 1) : tr("Note");
}

} // namespace quorvia
