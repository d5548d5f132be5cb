// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PoolListModel.h"

#include <algorithm>
#include <unordered_set>

namespace quorvia {

void PoolListModel::setItems(std::vector<PoolListItem> items)
{
    beginResetModel();
    items_ = std::move(items);
    folded_.clear();
    ticked_.assign(items_.size(), 0);
    tickCount_ = 0;
    endResetModel();
    emit ticksChanged();
}

int PoolListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : itemCount();
}

QVariant PoolListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= itemCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return itemText(index.row());
    case Qt::CheckStateRole:
        return isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
    case RecordNumberRole:
        return recordNumber(index.row());
    default:
        return {};
    }
}

bool PoolListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= itemCount())
        return false;
    setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags PoolListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

void PoolListModel::setTicked(int row, bool ticked)
{
    char &state = ticked_[std::size_t(row)];
    if ((state != 0) == ticked)
        return;
    state = ticked ? 1 : 0;
    tickCount_ += ticked ? 1 : -1;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
    emit ticksChanged();
}

void PoolListModel::setAllTicked(bool ticked)
{
    // One change notice for the whole list: a notice per item would make
    // Select All on a large pool crawl.
    std::fill(ticked_.begin(), ticked_.end(), ticked ? 1 : 0);
    tickCount_ = ticked ? itemCount() : 0;
    if (!items_.empty())
        emit dataChanged(index(0), index(itemCount() - 1), {Qt::CheckStateRole});
    emit ticksChanged();
}

void PoolListModel::setRowsTicked(const std::vector<int> &rows, bool ticked)
{
    if (rows.empty())
        return;
    for (const int row : rows) {
        char &state = ticked_[std::size_t(row)];
        tickCount_ += (state != 0) == ticked ? 0 : ticked ? 1 : -1;
        state = ticked ? 1 : 0;
    }
    const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
    emit dataChanged(index(*first), index(*last), {Qt::CheckStateRole});
    emit ticksChanged();
}

QString PoolListModel::fold(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        if (ch.category() != QChar::Mark_NonSpacing)
            kept += ch;
    }
    return kept.toCaseFolded();
}

const QString &PoolListModel::foldedText(int row) const
{
    if (folded_.size() != items_.size()) {
        folded_.clear();
        folded_.reserve(items_.size());
        for (const PoolListItem &item : items_)
            folded_.push_back(fold(item.text));
    }
    return folded_[std::size_t(row)];
}

std::vector<int> PoolListModel::tickedRecords() const
{
    std::vector<int> records;
    records.reserve(std::size_t(tickCount_));
    for (std::size_t row = 0; row < items_.size(); ++row)
        if (ticked_[row])
            records.push_back(items_[row].recordNumber);
    return records;
}

void PoolListModel::tickRecords(const std::vector<int> &records)
{
    const std::unordered_set<int> wanted(records.begin(), records.end());
    std::vector<int> rows;
    for (std::size_t row = 0; row < items_.size(); ++row)
        if (wanted.count(items_[row].recordNumber))
            rows.push_back(int(row));
    setRowsTicked(rows, true);
}

} // namespace quorvia
