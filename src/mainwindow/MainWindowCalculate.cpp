// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace quorvia {
namespace {

constexpr int kSizeBoxLength = 3;
constexpr int kBusyCursorPeople = 1000;

// Shows a number Calculate filled in. A per-group default can be a count of
// more than three digits; the box takes it although the user could not type
// it, and is back to three characters as soon as its text fits again.
void showDefault(QLineEdit *box, int value)
{
    const QString text = QString::number(value);
    box->setMaxLength(std::max<int>(kSizeBoxLength, int(text.size())));
    box->setText(text);
}

} // namespace

void MainWindow::setUpSizeInputs()
{
    // Typed keys and pasted text alike: at most three digits, nothing else, so
    // the sizing only ever sees whole numbers from 0 to 999.
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (QLineEdit *box : {txtAmountGroupsDesired, txtPeoplePerGroup}) {
        box->setMaxLength(kSizeBoxLength);
        box->setValidator(digits);
        connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
            if (text.size() <= kSizeBoxLength && box->maxLength() != kSizeBoxLength)
                box->setMaxLength(kSizeBoxLength);
        });
    }
}

void MainWindow::optAmountGroupsDesired_Click()
{
    txtPeoplePerGroup->setEnabled(false);
    txtAmountGroupsDesired->setEnabled(true);
    txtPeoplePerGroup->setFocusPolicy(Qt::NoFocus);
    txtAmountGroupsDesired->setFocusPolicy(Qt::StrongFocus);
}

void MainWindow::optPeoplePerGroup_Click()
{
    txtAmountGroupsDesired->setEnabled(false);
    txtPeoplePerGroup->setEnabled(true);
    txtAmountGroupsDesired->setFocusPolicy(Qt::NoFocus);
    txtPeoplePerGroup->setFocusPolicy(Qt::StrongFocus);
}

void MainWindow::cmdCalculate_Click()
{
    static const QString noData = QStringLiteral("No profile data has been entered.");
    if (!QFileInfo::exists(PoolPath)) {
        MessageBox::error(this, tr("The pool file \"%1\" is missing: it was moved or deleted after it was opened.")
                                    .arg(QDir::toNativeSeparators(PoolPath)));
        return;
    }
    if (PoolFile::fileSize(PoolPath) <= 0) {
        MessageBox::show(this, noData, MessageBox::Style::Warning);
        return;
    }

    // An empty list over a pool file that has records: the file changed
    // behind the program's back, so the list is read again before going on.
    if (poolList_->itemCount() == 0) {
        QString error;
        if (!LoadPoolList(&error)) {
            MessageBox::error(this, error);
            return;
        }
        if (poolList_->itemCount() == 0) {
            MessageBox::show(this, noData, MessageBox::Style::Warning);
            return;
        }
    }

    // Read before anything changes, so that a pool that cannot be read leaves
    // the boxes, the ticks and the groups as they were.
    std::vector<ProfileRecord> records;
    QString error;
    if (!PoolFile::readAll(PoolPath, &records, &error, PoolFile::Missing::Fail)) {
        MessageBox::error(this, error);
        return;
    }
    if (!confirmLoseGroups(tr("calculating new groups")))
        return;

    const bool amount = optAmountGroupsDesired->isChecked();
    QLineEdit *sizeBox = amount ? txtAmountGroupsDesired : txtPeoplePerGroup;
    const SizeOption option = amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup;
    const int typed = sizeBoxValue(sizeBox->text());

    if (amount && typed == 0)
        showDefault(txtAmountGroupsDesired, 1);
    if (poolList_->tickCount() == 0) {  // everybody, whatever a filter shows
        poolList_->setAllTicked(true);
        ShowSelectionCount();
    }
    const int n = poolList_->tickCount();
    if (!amount && typed == 0)
        showDefault(txtPeoplePerGroup, n);

    // The ticked people in list order, each by the record number its item carries.
    std::vector<ProfileRecord> selected;
    selected.reserve(std::size_t(n));
    groupsCandidates_.clear();
    for (int row = 0; row < poolList_->itemCount(); ++row) {
        if (!poolList_->isTicked(row))
            continue;
        const auto number = std::size_t(poolList_->recordNumber(row));
        groupsCandidates_.push_back(int(number));
        // A record past the end of the file reads as an all-zero record.
        selected.push_back(number >= 1 && number <= records.size() ? records[number - 1] : ProfileRecord{});
    }

    groupsPool_ = std::move(records);
    groupsPoolPath_ = PoolPath;
    // A large pool takes a moment: the pointer says the program is at work.
    const bool large = n >= kBusyCursorPeople;
    if (large)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    showNewGroups(buildGroups(selected, option, defaultedSizeValue(option, typed, n)));
    if (large)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace quorvia
