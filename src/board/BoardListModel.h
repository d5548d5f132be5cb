// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "board/BoardModel.h"

#include <QAbstractItemModel>

namespace quorvia {

// The board as a tree for screen readers and the keyboard: one row per group
// (its title and summary), under it one row per slot (the person, or "NONE"
// for a free place). Rebuilt whenever the groups change.
class BoardListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit BoardListModel(BoardModel *board, QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // The board slot a row stands for (slot -1: a group's row) and back.
    BoardModel::Slot slotOf(const QModelIndex &index) const;
    QModelIndex indexOf(BoardModel::Slot at) const;

private:
    BoardModel *board_;
};

} // namespace quorvia
