// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PoolFilterModel.h"

#include "mainwindow/PoolListModel.h"

namespace quorvia {

PoolFilterModel::PoolFilterModel(PoolListModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), source_(source)
{
    // Ticks change no item's text: a tick must not make the list re-filter.
    setDynamicSortFilter(false);
    setSourceModel(source);
}

void PoolFilterModel::setFilterWords(const QString &text)
{
    const QStringList words = PoolListModel::fold(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words == words_)
        return;
    words_ = words;
    invalidateFilter();
}

bool PoolFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (words_.isEmpty())
        return true;
    const QString &text = source_->foldedText(sourceRow);
    for (const QString &word : words_) {
        if (!text.contains(word))
            return false;
    }
    return true;
}

std::vector<int> PoolFilterModel::visibleSourceRows() const
{
    std::vector<int> rows;
    rows.reserve(std::size_t(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        rows.push_back(mapToSource(index(row, 0)).row());
    return rows;
}

} // namespace quorvia
