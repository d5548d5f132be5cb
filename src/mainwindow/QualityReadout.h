// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTableView;

namespace quorvia {

class GroupArrangement;

// The rows of the read-out: one per group (number, people, score, conflicts),
// straight from the arrangement's quality report.
class QualityReadoutModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { GroupColumn, PeopleColumn, ScoreColumn, ConflictsColumn, ColumnCount };

    explicit QualityReadoutModel(const GroupArrangement *arrangement, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void refresh();

private:
    const GroupArrangement *arrangement_;
    int shownRows_ = 0;
    int shownColumns_ = ColumnCount;
};

// The compact quality read-out under the groups box: the table of groups, a
// total line that compares the total with the best possible, and the explanation of the
// conflicts of the group that is selected (hovering a row shows it too).
class QualityReadout : public QWidget {
    Q_OBJECT
public:
    explicit QualityReadout(const GroupArrangement *arrangement, QWidget *parent = nullptr);

    QString totalText() const;

private:
    void refresh();
    void showConflictsOf(int group);
    // Each rule in force met or broken, and where (QualityReadoutRules.cpp).
    void showRules();

    const GroupArrangement *arrangement_;
    QualityReadoutModel *model_;
    QTableView *tblQuality;
    QLabel *lblQualityTotal;
    QPlainTextEdit *txtConflicts;
    QPlainTextEdit *txtRulesStatus = nullptr;
};

} // namespace quorvia
