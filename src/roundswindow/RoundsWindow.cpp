// SPDX-License-Identifier: GPL-3.0-or-later
#include "roundswindow/RoundsWindow.h"

#include "dialogs/MessageBox.h"
#include "dialogs/TextPrompt.h"
#include "pool/PoolLock.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvia {

RoundsWindow::RoundsWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRounds"));
    setWindowTitle(tr("Rounds"));
    auto *label = new QLabel(tr("Ticked rounds: Improve keeps apart the people who met in them."), this);
    label->setWordWrap(true);
    lstRounds = new QListWidget(this);
    lstRounds->setObjectName(QStringLiteral("lstRounds"));
    lstRounds->setAccessibleName(tr("Rounds"));
    label->setBuddy(lstRounds);
    cmdRenameRound = new QPushButton(tr("&Rename..."), this);
    cmdRenameRound->setObjectName(QStringLiteral("cmdRenameRound"));
    cmdRemoveRound = new QPushButton(tr("Re&move"), this);
    cmdRemoveRound->setObjectName(QStringLiteral("cmdRemoveRound"));
    cmdCompareRound = new QPushButton(tr("&Compare"), this);
    cmdCompareRound->setObjectName(QStringLiteral("cmdCompareRound"));
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdRenameRound);
    buttons->addWidget(cmdRemoveRound);
    buttons->addWidget(cmdCompareRound);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lstRounds);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(cmdRenameRound, &QPushButton::clicked, this, &RoundsWindow::cmdRenameRound_Click);
    connect(cmdRemoveRound, &QPushButton::clicked, this, &RoundsWindow::cmdRemoveRound_Click);
    connect(cmdCompareRound, &QPushButton::clicked, this, [this] {
        if (lstRounds->currentRow() >= 0)
            emit compareRequested(lstRounds->currentRow());
    });
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(lstRounds, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int row = lstRounds->row(item);
        if (showing_ || row < 0 || std::size_t(row) >= avoided_.size())
            return;
        avoided_[std::size_t(row)] = item->checkState() == Qt::Checked;
        emit roundsChanged();
    });
    connect(lstRounds, &QListWidget::currentRowChanged, this, [this](int row) {
        for (QPushButton *button : {cmdRenameRound, cmdRemoveRound, cmdCompareRound})
            button->setEnabled(row >= 0);
    });
}

void RoundsWindow::setRounds(const QString &poolPath, const std::vector<Round> &rounds,
                             const std::vector<char> &avoided, std::function<QString(int)> nameOf)
{
    poolPath_ = poolPath;
    rounds_ = rounds;
    avoided_ = avoided;
    avoided_.resize(rounds_.size(), 1);
    nameOf_ = std::move(nameOf);
    showRounds();
}

void RoundsWindow::showRounds()
{
    showing_ = true;
    const int current = lstRounds->currentRow();
    lstRounds->clear();
    for (std::size_t i = 0; i < rounds_.size(); ++i) {
        const Round &round = rounds_[i];
        auto *item = new QListWidgetItem(tr("%1  %2 (%3)").arg(round.date, round.name).arg(
                                             round.groups.size() == 1 ? tr("1 group")
                                                                      : tr("%1 groups").arg(round.groups.size())),
                                         lstRounds);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(avoided_[i] ? Qt::Checked : Qt::Unchecked);
    }
    lstRounds->setCurrentRow(std::min(current, lstRounds->count() - 1));
    for (QPushButton *button : {cmdRenameRound, cmdRemoveRound, cmdCompareRound})
        button->setEnabled(lstRounds->currentRow() >= 0);
    showing_ = false;
}

bool RoundsWindow::write(const std::vector<Round> &rounds)
{
    QString error;
    if (readOnly_)
        error = readOnlyRefusal(poolPath_, tr("The rounds are as they were."));
    else if (writeRounds(poolPath_, rounds, &error, nameOf_))
        return true;
    MessageBox::error(this, error);
    return false;
}

void RoundsWindow::cmdRenameRound_Click()
{
    const int row = lstRounds->currentRow();
    if (row < 0)
        return;
    QString name;
    if (!TextPrompt::ask(this, tr("Rename Round"), tr("New name of the round:"), rounds_[std::size_t(row)].name, &name))
        return;
    std::vector<Round> renamed = rounds_;
    renamed[std::size_t(row)].name = name;
    if (!write(renamed))
        return;
    rounds_ = std::move(renamed);
    showRounds();
    emit roundsChanged();
}

void RoundsWindow::cmdRemoveRound_Click()
{
    const int row = lstRounds->currentRow();
    if (row < 0)
        return;
    if (MessageBox::show(this, tr("Remove the round \"%1\" of %2? Its groups are forgotten.")
                                   .arg(rounds_[std::size_t(row)].name, rounds_[std::size_t(row)].date),
                         MessageBox::Style::QuestionDefaultNo)
        != MessageBox::Yes)
        return;
    std::vector<Round> rest = rounds_;
    rest.erase(rest.begin() + row);
    if (!write(rest))
        return;
    rounds_ = std::move(rest);
    avoided_.erase(avoided_.begin() + row);
    showRounds();
    emit roundsChanged();
}

} // namespace quorvia
