// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QWidget>

#include <deque>
#include <vector>

class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStandardItemModel;

namespace quorvia {

// The people of a pool as a list with ticks and a filter box above it, like
// the main window's selection list: for choosing who a rule names.
class PeoplePicker : public QWidget {
    Q_OBJECT
public:
    explicit PeoplePicker(QWidget *parent = nullptr);

    // Shows `records` (record numbers from 1), sorted by name; people with
    // no data are left out, and so are the records in `leaveOut`.
    void setPeople(const std::vector<ProfileRecord> &records, const std::vector<int> &leaveOut = {});
    // The ticked records, in record order.
    std::vector<int> tickedRecords() const;
    void setTicked(int recordNumber, bool ticked);
    void clearTicks();

    QLineEdit *filterBox() const { return txtPeopleFilter; }
    QListView *list() const { return lstPeople; }

    // A modal window with a picker: the records chosen, empty when cancelled.
    // Tests queue the next answers; nothing is shown then.
    static std::vector<int> pick(QWidget *parent, const QString &title, const std::vector<ProfileRecord> &records,
                                 const std::vector<int> &leaveOut);
    static void queueAnswer(std::vector<int> records);

private:
    QStandardItemModel *model_;
    QSortFilterProxyModel *filter_;
    QLineEdit *txtPeopleFilter;
    QListView *lstPeople;
    static std::deque<std::vector<int>> queued_;
};

} // namespace quorvia
