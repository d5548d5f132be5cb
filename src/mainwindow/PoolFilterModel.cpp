#include "mainwindow/PoolFilterModel.h"

#include "mainwindow/PoolListModel.h"

namespace quorvia {

PoolFilterModel::PoolFilterModel(PoolListModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), source_(source)
{
    // Ticks change no item's text: a tick must not make the list re-filter.
    setDynamicSortFilter(false);
    setSourceModel(source);
    connect(source, &QAbstractItemModel::modelReset, this, [this] { folded_.clear(); });
}

QString PoolFilterModel::fold(const QString &text)
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

void PoolFilterModel::setFilterWords(const QString &text)
{
    const QStringList words = fold(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words == words_)
        return;
    words_ = words;
    invalidateFilter();
}

bool PoolFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (words_.isEmpty())
        return true;
    if (folded_.size() != std::size_t(source_->itemCount())) {
        folded_.clear();
        folded_.reserve(std::size_t(source_->itemCount()));
        for (int row = 0; row < source_->itemCount(); ++row)
            folded_.push_back(fold(source_->itemText(row)));
    }
    const QString &text = folded_[std::size_t(sourceRow)];
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
