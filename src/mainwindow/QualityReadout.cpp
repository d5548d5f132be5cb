// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/QualityReadout.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/GroupDescriptions.h"
#include "arrangement/PoolRules.h"
#include "pool/PoolListing.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace quorvia {

QualityReadoutModel::QualityReadoutModel(const GroupArrangement *arrangement, QObject *parent)
    : QAbstractTableModel(parent), arrangement_(arrangement)
{
}

int QualityReadoutModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(arrangement_->report().groups.size());
}

int QualityReadoutModel::columnCount(const QModelIndex &parent) const
{
    // A last column of pairs who met before, while earlier rounds are counted.
    return parent.isValid() ? 0 : ColumnCount + (arrangement_->countsRepeats() ? 1 : 0);
}

QVariant QualityReadoutModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const GroupFit &fit = arrangement_->report().groups[std::size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case GroupColumn: return index.row() + 1;
        case PeopleColumn: return fit.people;
        case ScoreColumn: return signedScore(fit.score);
        case ConflictsColumn: return fit.conflicts;
        case ColumnCount: {
            const std::vector<int> &met = arrangement_->repeats().perGroup;
            return std::size_t(index.row()) < met.size() ? QVariant(met[std::size_t(index.row())]) : QVariant();
        }
        default: return {};
        }
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && fit.conflicts > 0)
        return groupConflictLines(arrangement_->groups(), index.row()).join(QLatin1Char('\n'));
    return {};
}

QVariant QualityReadoutModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[] = {"Group", "People", "Score", "Conflicts"};
    if (section == ColumnCount && arrangement_->countsRepeats())
        return tr("Met before");
    return section >= 0 && section < ColumnCount ? tr(titles[section]) : QVariant();
}

void QualityReadoutModel::refresh()
{
    // The same groups with new figures keep the view where it was scrolled to.
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows == shownRows_ && columns == shownColumns_ && rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
        return;
    }
    beginResetModel();
    shownRows_ = rows;
    shownColumns_ = columns;
    endResetModel();
}

QualityReadout::QualityReadout(const GroupArrangement *arrangement, QWidget *parent)
    : QWidget(parent), arrangement_(arrangement), model_(new QualityReadoutModel(arrangement, this))
{
    tblQuality = new QTableView(this);
    tblQuality->setObjectName(QStringLiteral("tblQuality"));
    tblQuality->setModel(model_);
    tblQuality->verticalHeader()->hide();
    tblQuality->verticalHeader()->setDefaultSectionSize(tblQuality->fontMetrics().height() + 4);
    tblQuality->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblQuality->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblQuality->setSelectionMode(QAbstractItemView::SingleSelection);
    tblQuality->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblQuality->setMinimumHeight(tblQuality->fontMetrics().height() * 6);
    lblQualityTotal = new QLabel(this);
    lblQualityTotal->setObjectName(QStringLiteral("lblQualityTotal"));
    lblQualityTotal->setWordWrap(true);
    txtConflicts = new QPlainTextEdit(this);
    txtConflicts->setObjectName(QStringLiteral("txtConflicts"));
    txtConflicts->setReadOnly(true);
    txtConflicts->setPlaceholderText(tr("Select a group to see what its conflicts come from."));
    txtConflicts->setMinimumHeight(txtConflicts->fontMetrics().height() * 3);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tblQuality, 2);  // every group up to the window's height
    layout->addWidget(lblQualityTotal);
    layout->addWidget(txtConflicts, 1);
    txtRulesStatus = new QPlainTextEdit(this);
    txtRulesStatus->setObjectName(QStringLiteral("txtRulesStatus"));
    txtRulesStatus->setReadOnly(true);
    txtRulesStatus->setAccessibleName(tr("Rules"));
    txtRulesStatus->setAccessibleDescription(tr("Each rule of the pool, met or broken, and where"));
    txtRulesStatus->setMaximumHeight(txtRulesStatus->fontMetrics().height() * 5);
    layout->addWidget(txtRulesStatus);
    connect(arrangement->rules(), &PoolRules::changed, this, &QualityReadout::refresh);

    connect(tblQuality->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showConflictsOf(current.isValid() ? current.row() : -1); });
    connect(arrangement, &GroupArrangement::changed, this, &QualityReadout::refresh);
    connect(arrangement, &GroupArrangement::bestPossibleChanged, this, &QualityReadout::refresh);
    refresh();
}

QString QualityReadout::totalText() const
{
    if (!arrangement_->hasGroups())
        return tr("No groups yet.");
    const QualityReport &report = arrangement_->report();
    const QString rules = rulesSummary(arrangement_->rules()->check(arrangement_->groups()));
    return tr("Total: %1, score %2, %3; %4")
        .arg(countText(report.total.people, tr("person"), tr("people")))
        .arg(signedScore(report.total.score))
        .arg(countText(report.total.conflicts, tr("conflict"), tr("conflicts")))
        .arg(bestPossibleWords(report.total.score, arrangement_->bestPossible()))
        + (rules.isEmpty() ? QString() : QStringLiteral("; ") + rules);
}

void QualityReadout::refresh()
{
    const int current = tblQuality->currentIndex().row();
    model_->refresh();
    lblQualityTotal->setText(totalText());
    lblQualityTotal->setToolTip(arrangement_->hasGroups() ? bestPossibleToolTip(arrangement_->report().total.score,
                                                                                arrangement_->bestPossible())
                                                          : QString());
    if (current >= 0 && current < model_->rowCount())
        tblQuality->setCurrentIndex(model_->index(current, 0));
    // The same row again is no change of row, yet its conflicts may have changed.
    showConflictsOf(tblQuality->currentIndex().row());
    showRules();
}

void QualityReadout::showConflictsOf(int group)
{
    if (group < 0 || group >= model_->rowCount()) {
        txtConflicts->clear();
        return;
    }
    const QStringList lines = groupConflictLines(arrangement_->groups(), group);
    txtConflicts->setPlainText(lines.isEmpty() ? tr("Group %1 has no conflicts.").arg(group + 1)
                                               : tr("Group %1:\n").arg(group + 1) + lines.join(QLatin1Char('\n')));
}

} // namespace quorvia
