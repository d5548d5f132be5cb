// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/PoolListing.h"

#include <QAbstractListModel>

#include <vector>

namespace quorvia {

// The items of the selection list: one per pool record, each with its text,
// its record number and its tick. Keeps the tick count as ticks change, so
// the caption costs nothing even for the largest pools.
class PoolListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int RecordNumberRole = Qt::UserRole;

    using QAbstractListModel::QAbstractListModel;

    // Replaces every item; all ticks are cleared.
    void setItems(std::vector<PoolListItem> items);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int itemCount() const { return int(items_.size()); }
    const QString &itemText(int row) const { return items_[std::size_t(row)].text; }
    int recordNumber(int row) const { return items_[std::size_t(row)].recordNumber; }
    bool isTicked(int row) const { return ticked_[std::size_t(row)] != 0; }
    // The item's text in lower case without accents, for searching. Worked
    // out for the whole list on the first call after a rebuild.
    const QString &foldedText(int row) const;
    // Lower case, accents and other combining marks removed.
    static QString fold(const QString &text);
    int tickCount() const { return tickCount_; }

    void setTicked(int row, bool ticked);
    void setAllTicked(bool ticked);
    // The same for some rows only (the ones a filter shows), with one notice.
    void setRowsTicked(const std::vector<int> &rows, bool ticked);
    // The record numbers of the ticked items, and the ticking of the items
    // that carry given record numbers (numbers without an item are passed over).
    std::vector<int> tickedRecords() const;
    void tickRecords(const std::vector<int> &records);

signals:
    // Raised after every change of the tick count, whoever made it.
    void ticksChanged();

private:
    std::vector<PoolListItem> items_;
    std::vector<char> ticked_;
    mutable std::vector<QString> folded_;  // empty until needed
    int tickCount_ = 0;
};

} // namespace quorvia
