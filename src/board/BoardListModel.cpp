// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardListModel.h"

namespace quorvia {

// A slot row keeps its group number + 1 as internal id; a group row keeps 0.
BoardListModel::BoardListModel(BoardModel *board, QObject *parent) : QAbstractItemModel(parent), board_(board)
{
    connect(board_, &BoardModel::changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

QModelIndex BoardListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row() + 1) : quintptr(0));
}

QModelIndex BoardListModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int BoardListModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return board_->groupCount();
    return parent.internalId() == 0 && parent.column() == 0 ? board_->slotCount() : 0;
}

int BoardListModel::columnCount(const QModelIndex &) const { return 1; }

QVariant BoardListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const BoardModel::Slot at = slotOf(index);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (at.slot < 0)
            return tr("%1: %2").arg(board_->groupTitle(at.group), board_->groupSummary(at.group));
        QString text = board_->isPerson(at) ? board_->slotText(at) : tr("NONE (a free place)");
        if (board_->isPinned(at))
            text += tr(", pinned");
        if (board_->isPerson(at) && board_->inConflict(at))
            text += tr(", in conflict");
        return text;
    }
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole)
        return at.slot < 0 ? board_->groupToolTip(at.group) : board_->slotToolTip(at);
    return {};
}

BoardModel::Slot BoardListModel::slotOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == 0)
        return {index.row(), -1};
    return {int(index.internalId() - 1), index.row()};
}

QModelIndex BoardListModel::indexOf(BoardModel::Slot at) const
{
    if (at.group < 0 || at.group >= board_->groupCount())
        return {};
    const QModelIndex group = index(at.group, 0);
    return at.slot < 0 ? group : index(at.slot, 0, group);
}

} // namespace quorvia
