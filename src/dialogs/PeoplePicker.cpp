// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/PeoplePicker.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvia {

std::deque<std::vector<int>> PeoplePicker::queued_;

namespace {

constexpr int RecordRole = Qt::UserRole + 1;

QString shownName(const ProfileRecord &record, int number)
{
    const QString last = trimmedField(record.LastName);
    const QString first = trimmedField(record.FirstName);
    QString name = last.isEmpty() ? first : first.isEmpty() ? last : last + QStringLiteral(", ") + first;
    const QString position = trimmedField(record.Position);
    if (!position.isEmpty())
        name += QStringLiteral(" (%1)").arg(position);
    return QStringLiteral("%1 (record %2)").arg(name.isEmpty() ? QStringLiteral("?") : name).arg(number);
}

} // namespace

PeoplePicker::PeoplePicker(QWidget *parent)
    : QWidget(parent), model_(new QStandardItemModel(this)), filter_(new QSortFilterProxyModel(this))
{
    filter_->setSourceModel(model_);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    filter_->setSortCaseSensitivity(Qt::CaseInsensitive);
    txtPeopleFilter = new QLineEdit(this);
    txtPeopleFilter->setObjectName(QStringLiteral("txtPeopleFilter"));
    txtPeopleFilter->setPlaceholderText(tr("Find people"));
    txtPeopleFilter->setClearButtonEnabled(true);
    lstPeople = new QListView(this);
    lstPeople->setObjectName(QStringLiteral("lstPeople"));
    lstPeople->setModel(filter_);
    lstPeople->setUniformItemSizes(true);
    lstPeople->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtPeopleFilter);
    layout->addWidget(lstPeople);
    connect(txtPeopleFilter, &QLineEdit::textChanged, filter_, &QSortFilterProxyModel::setFilterFixedString);
}

void PeoplePicker::setPeople(const std::vector<ProfileRecord> &records, const std::vector<int> &leaveOut)
{
    model_->clear();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int number = int(i + 1);
        if (records[i].HasData == 0 || std::find(leaveOut.begin(), leaveOut.end(), number) != leaveOut.end())
            continue;
        auto *item = new QStandardItem(shownName(records[i], number));
        item->setCheckable(true);
        item->setData(number, RecordRole);
        model_->appendRow(item);
    }
    filter_->sort(0);
}

std::vector<int> PeoplePicker::tickedRecords() const
{
    std::vector<int> numbers;
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (model_->item(row)->checkState() == Qt::Checked)
            numbers.push_back(model_->item(row)->data(RecordRole).toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void PeoplePicker::setTicked(int recordNumber, bool ticked)
{
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (model_->item(row)->data(RecordRole).toInt() == recordNumber)
            model_->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void PeoplePicker::clearTicks()
{
    for (int row = 0; row < model_->rowCount(); ++row)
        model_->item(row)->setCheckState(Qt::Unchecked);
}

void PeoplePicker::queueAnswer(std::vector<int> records) { queued_.push_back(std::move(records)); }

std::vector<int> PeoplePicker::pick(QWidget *parent, const QString &title, const std::vector<ProfileRecord> &records,
                                    const std::vector<int> &leaveOut)
{
    if (!queued_.empty()) {
        std::vector<int> answer = queued_.front();
        queued_.pop_front();
        return answer;
    }
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *picker = new PeoplePicker(&dialog);
    picker->setPeople(records, leaveOut);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(picker);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    picker->filterBox()->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return picker->tickedRecords();
}

} // namespace quorvia
