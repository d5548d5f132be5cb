// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSortFilterProxyModel>
#include <QStringList>

#include <vector>

namespace quorvia {

class PoolListModel;

// What the selection list shows of the pool: with no filter every item, in
// the list's own order; with one, only the items whose text contains every
// typed word, case and accents ignored ("emile" finds "Émile"). Hiding an
// item keeps its tick, which lives in the pool list.
//
// The folded texts are worked out once per list (PoolListModel::foldedText),
// so each keystroke costs one substring search per item.
class PoolFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit PoolFilterModel(PoolListModel *source, QObject *parent = nullptr);

    void setFilterWords(const QString &text);
    bool isFiltering() const { return !words_.isEmpty(); }

    // The pool list rows of the items shown, top to bottom.
    std::vector<int> visibleSourceRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    PoolListModel *source_;
    QStringList words_;
};

} // namespace quorvia
