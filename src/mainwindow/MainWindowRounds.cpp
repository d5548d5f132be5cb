// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "arrangement/EarlierPartners.h"
#include "arrangement/GroupArrangement.h"
#include "comparewindow/CompareWindow.h"
#include "csv/GroupsFile.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "dialogs/TextPrompt.h"
#include "grouping/GroupListing.h"
#include "grouping/GroupQuality.h"
#include "grouping/RecordNumbers.h"
#include "pool/PoolFile.h"
#include "pool/PoolListing.h"
#include "pool/PoolLock.h"
#include "rounds/GroupingComparison.h"
#include "rounds/PairHistory.h"
#include "rounds/RepeatPairsPenalty.h"
#include "rounds/RoundsFile.h"
#include "roundswindow/RoundsWindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

// Rounds: groups recorded in the pool's history, Improve that keeps earlier
// partners apart, the count of pairs who met before, and comparing groupings.
namespace quorvia {
namespace {

constexpr qint64 kMaxGroupsFileBytes = 64LL * 1024 * 1024;

// What the pool's records are called, for the rounds file and the comparison.
QString nameIn(const std::vector<ProfileRecord> &pool, int record)
{
    if (record < 1 || std::size_t(record) > pool.size())
        return QObject::tr("record %1").arg(record);
    return SlotText(pool[std::size_t(record - 1)]).value_or(QObject::tr("record %1").arg(record));
}

QString pairsText(long long n) { return n == 1 ? QObject::tr("1 pair") : QObject::tr("%1 pairs").arg(n); }

} // namespace

void MainWindow::setUpRounds()
{
    cmdRounds = new QPushButton(tr("Rounds..."), fraQuality);
    cmdRounds->setObjectName(QStringLiteral("cmdRounds"));
    cmdRounds->setAccessibleDescription(tr("Opens the pool's rounds: which to avoid, rename, remove, compare"));
    lblRepeats = new QLabel(fraQuality);
    lblRepeats->setObjectName(QStringLiteral("lblRepeats"));
    lblRepeats->setWordWrap(true);
    lblRepeats->setAccessibleName(tr("Pairs that met before"));
    lblRepeats->hide();
    // Beside Even sizes (avoiding them is a rule, ticked in the Rules
    // window), and the count under the read-out.
    for (QObject *child : fraQuality->layout()->children()) {
        auto *row = qobject_cast<QBoxLayout *>(child);
        const int at = row ? row->indexOf(chkEvenSizes) : -1;
        if (at >= 0)
            row->insertWidget(at + 1, cmdRounds);
    }
    if (auto *column = qobject_cast<QBoxLayout *>(fraQuality->layout()))
        column->insertWidget(1, lblRepeats);
    setTabOrder(chkEvenSizes, cmdRounds);
    setTabOrder(cmdRounds, cmdArrangeGroups);

    mnuGroups->addSeparator();
    mnuAddRound = mnuGroups->addAction(tr("Add as a &Round..."));
    mnuAddRound->setObjectName(QStringLiteral("mnuAddRound"));
    mnuRounds = mnuGroups->addAction(tr("R&ounds..."));
    mnuRounds->setObjectName(QStringLiteral("mnuRounds"));
    mnuCompareWith = mnuGroups->addAction(tr("&Compare With..."));
    mnuCompareWith->setObjectName(QStringLiteral("mnuCompareWith"));
    dlgCompareWith = new FileDialog(this, FileDialog::Mode::Open, QStringLiteral("Compare With"),
                                    QStringLiteral("Groups (*.csv)"), QStringLiteral("csv"));
    dlgCompareWith->setObjectName(QStringLiteral("dlgCompareWith"));
    dlgCompareWith->addFilter(QStringLiteral("Exported groups (*.txt)"), QStringLiteral("txt"));

    connect(mnuAddRound, &QAction::triggered, this, &MainWindow::mnuAddRound_Click);
    connect(mnuRounds, &QAction::triggered, this, &MainWindow::mnuRounds_Click);
    connect(cmdRounds, &QPushButton::clicked, this, &MainWindow::mnuRounds_Click);
    connect(mnuCompareWith, &QAction::triggered, this, &MainWindow::mnuCompareWith_Click);
    connect(arrangement_->earlierPartners(), &EarlierPartners::changed, this, &MainWindow::updateAvoidance);
    connect(arrangement_, &GroupArrangement::changed, this, [this] {
        const bool any = arrangement_->hasGroups();
        for (QAction *item : {mnuAddRound, mnuCompareWith})
            item->setEnabled(any);
        const RepeatCount &repeats = arrangement_->repeats();
        lblRepeats->setVisible(any && arrangement_->countsRepeats());
        // The first groups by name; a big pool's count must stay one line.
        QStringList groups;
        int more = 0;
        for (std::size_t g = 0; g < repeats.perGroup.size(); ++g) {
            if (repeats.perGroup[g] > 0 && groups.size() < 6)
                groups << tr("Group %1: %2").arg(g + 1).arg(repeats.perGroup[g]);
            else if (repeats.perGroup[g] > 0)
                ++more;
        }
        if (more > 0)
            groups << (more == 1 ? tr("1 more group") : tr("%1 more groups").arg(more));
        lblRepeats->setText(repeats.total == 0
                                ? tr("No pair met in the rounds chosen.")
                                : tr("Met before: %1 (%2).").arg(pairsText(repeats.total), groups.join(QStringLiteral(", "))));
    });
    mnuAddRound->setEnabled(false);
    mnuCompareWith->setEnabled(false);
}

void MainWindow::updateAvoidance()
{
    EarlierPartners *partners = arrangement_->earlierPartners();
    std::vector<Round> rounds;
    QString error;
    const bool read = readRounds(PoolPath, &rounds, &error);
    if (read && partners->counted().size() != rounds.size()) {
        partners->setRoundCount(rounds.size());  // back here through changed()
        return;
    }
    const bool ours = arrangement_->hasGroups() && groupsPoolPath_ == PoolPath;
    if (!read && ours)
        showStatus(error);
    auto history = std::make_shared<PairHistory>();
    for (std::size_t i = 0; read && i < rounds.size(); ++i) {
        if (partners->counted()[i])
            history->addGroups(rounds[i].groups);
    }
    if (!ours || history->isEmpty()) {
        arrangement_->setPenaltyFactory({});
        arrangement_->setRepeatCounter({});
        return;
    }
    auto pool = std::make_shared<const std::vector<ProfileRecord>>(groupsPool_);
    auto candidates = std::make_shared<const std::vector<int>>(groupsCandidates_);
    if (partners->avoid()) {
        arrangement_->setPenaltyFactory([=](const GroupTable &start) -> std::unique_ptr<ImprovePenalty> {
            return std::make_unique<RepeatPairsPenalty>(start, recordNumbersOf(start, *pool, *candidates), *history);
        });
    } else {
        arrangement_->setPenaltyFactory({});
    }
    arrangement_->setRepeatCounter([=](const GroupTable &table) {
        return countRepeats(table, recordNumbersOf(table, *pool, *candidates), *history);
    });
}

QString MainWindow::roundsFollowDeletion(int recordNumber)
{
    // The groups' record numbers follow too, or a round added from them
    // would name the people after the deleted one wrongly.
    if (groupsPoolPath_ == PoolPath && recordNumber >= 1 && std::size_t(recordNumber) <= groupsPool_.size()) {
        groupsPool_.erase(groupsPool_.begin() + (recordNumber - 1));
        groupsCandidates_.erase(std::remove(groupsCandidates_.begin(), groupsCandidates_.end(), recordNumber),
                                groupsCandidates_.end());
        for (int &number : groupsCandidates_)
            number -= number > recordNumber ? 1 : 0;
    }
    // The rounds name people by record number: after a deletion they must
    // follow the pool, or earlier partners would be someone else. A damaged
    // file is left as it is.
    const QString done = [&]() -> QString {
        std::vector<Round> rounds;
        QString error;
        if (!QFileInfo::exists(roundsPathFor(PoolPath)))
            return QString();
        if (!readRounds(PoolPath, &rounds, &error))
            return tr("%1 It was left as it is, with the former record numbers.").arg(error);
        const int named = removeRecordFromRounds(rounds, recordNumber);
        std::vector<ProfileRecord> pool;
        PoolFile::readAll(PoolPath, &pool, &error);
        if (!writeRounds(PoolPath, rounds, &error, [&pool](int record) { return nameIn(pool, record); })) {
            MessageBox::error(this, error);
            return tr("The rounds were not renumbered.");
        }
        if (frmRounds)
            frmRounds->setRounds(PoolPath, rounds, arrangement_->earlierPartners()->counted(),
                                 [pool](int record) { return nameIn(pool, record); });
        return named == 0 ? tr("The rounds now count the later records one lower.")
                          : tr("Took them out of %1; the rounds now count the later records one lower.")
                                .arg(countText(named, tr("round"), tr("rounds")));
    }();
    updateAvoidance();
    return done;
}

void MainWindow::mnuAddRound_Click()
{
    if (!arrangement_->hasGroups()) {
        showStatus(tr("There are no groups to add as a round: press Calculate first."));
        return;
    }
    if (poolIsReadOnly()) {
        MessageBox::error(this, readOnlyRefusal(PoolPath, tr("No round was added.")));
        return;
    }
    std::vector<Round> rounds;
    QString error;
    if (!readRounds(PoolPath, &rounds, &error)) {
        MessageBox::error(this, error);
        return;
    }
    QString name;
    if (!TextPrompt::ask(this, tr("Add as a Round"), tr("Name of the round:"),
                         tr("Round %1").arg(rounds.size() + 1), &name))
        return;
    rounds.push_back(Round{QDate::currentDate().toString(Qt::ISODate), name,
                           groupsAsRecords(Groups, groupsRecordNumbers())});
    const std::vector<ProfileRecord> &pool = groupsPool_;
    if (!writeRounds(PoolPath, rounds, &error, [&pool](int record) { return nameIn(pool, record); })) {
        MessageBox::error(this, error);
        return;
    }
    updateAvoidance();  // the new round counts
    showStatus(tr("Added the round \"%1\" of %2.").arg(name, countText(Groups.NumGroups, tr("group"), tr("groups"))));
}

void MainWindow::mnuRounds_Click()
{
    std::vector<Round> rounds;
    QString error;
    if (!readRounds(PoolPath, &rounds, &error)) {
        MessageBox::error(this, error);
        return;
    }
    if (!frmRounds) {
        frmRounds = new RoundsWindow(this);
        connect(frmRounds, &RoundsWindow::roundsChanged, this, [this] {
            arrangement_->earlierPartners()->setCounted(frmRounds->avoided());
            updateAvoidance();
        });
        connect(frmRounds, &RoundsWindow::compareRequested, this, &MainWindow::compareWithRound);
    }
    frmRounds->setReadOnly(poolIsReadOnly());
    arrangement_->earlierPartners()->setRoundCount(rounds.size());
    std::vector<ProfileRecord> pool;
    PoolFile::readAll(PoolPath, &pool, &error, PoolFile::Missing::Fail);
    frmRounds->setRounds(PoolPath, rounds, arrangement_->earlierPartners()->counted(),
                         [pool](int record) { return nameIn(pool, record); });
    frmRounds->show();
    frmRounds->raise();
    showStatus(rounds.size() == 1 ? tr("The pool has 1 round.") : tr("The pool has %1 rounds.").arg(rounds.size()));
}

void MainWindow::compareWith(const QString &what, const std::vector<std::vector<int>> &other, long long otherScore)
{
    const GroupingComparison comparison = compareGroupings(groupsAsRecords(Groups, groupsRecordNumbers()), other);
    QStringList moves;
    for (const GroupingComparison::Move &move : comparison.moves) {
        const QString from = move.fromGroup < 0 ? tr("not there") : tr("Group %1").arg(move.fromGroup + 1);
        const QString to = move.toGroup < 0 ? tr("not here") : tr("Group %1").arg(move.toGroup + 1);
        moves << tr("%1: %2 \u2192 %3").arg(nameIn(groupsPool_, move.record), from, to);
    }
    const QString summary =
        tr("The current groups beside %1.\nPairs together in both: %2 (of %3 now, %4 there).\n"
           "Total score now %5, there %6.\n%7 moved.")
            .arg(what, pairsText(comparison.sharedPairs), pairsText(comparison.pairsHere),
                 pairsText(comparison.pairsThere))
            .arg(arrangement_->report().total.score)
            .arg(otherScore)
            .arg(countText(qsizetype(comparison.moves.size()), tr("person"), tr("people")));
    if (!frmCompare)
        frmCompare = new CompareWindow(this);
    frmCompare->showComparison(summary, moves);
    frmCompare->show();
    frmCompare->raise();
    showStatus(tr("Compared the groups with %1: %2 shared.").arg(what, pairsText(comparison.sharedPairs)));
}

void MainWindow::compareWithRound(int row)
{
    std::vector<Round> rounds;
    QString error;
    if (!readRounds(PoolPath, &rounds, &error)) {
        MessageBox::error(this, error);
        return;
    }
    if (!arrangement_->hasGroups() || row < 0 || std::size_t(row) >= rounds.size()) {
        showStatus(tr("There are no groups to compare: press Calculate first."));
        return;
    }
    const Round &round = rounds[std::size_t(row)];
    // The round's score, with its people as the pool holds them now.
    GroupTable table{int(round.groups.size()), 0, {}};
    for (const std::vector<int> &group : round.groups)
        table.GroupSize = std::max(table.GroupSize, int(group.size()));
    table.slotRecords.resize(std::size_t(table.NumGroups) * std::size_t(table.GroupSize));
    for (std::size_t g = 0; g < round.groups.size(); ++g) {
        for (std::size_t s = 0; s < round.groups[g].size(); ++s) {
            const int record = round.groups[g][s];
            if (record >= 1 && std::size_t(record) <= groupsPool_.size())
                table.slotRecords[g * std::size_t(table.GroupSize) + s] = groupsPool_[std::size_t(record - 1)];
        }
    }
    compareWith(tr("the round \"%1\"").arg(round.name), round.groups, assessGroups(table).total.score);
}

void MainWindow::mnuCompareWith_Click()
{
    if (!arrangement_->hasGroups()) {
        showStatus(tr("There are no groups to compare: press Calculate first."));
        return;
    }
    dlgCompareWith->setStartFolder(QFileInfo(PoolPath).absolutePath());
    if (!dlgCompareWith->exec())
        return;
    const QString path = dlgCompareWith->fileName();
    QFile file(path);
    QString error;
    GroupsFile read;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        error = QFileInfo::exists(path) ? file.errorString() : tr("there is no such file.");
    else if (file.size() > kMaxGroupsFileBytes)
        error = tr("the file is far too large to be a groups file.");
    else
        readGroupsFile(file.readAll(), groupsPool_, QFileInfo(groupsPoolPath_).fileName(), &read, &error);
    if (!error.isEmpty()) {
        MessageBox::error(this, tr("The groups in \"%1\" could not be compared: %2")
                                    .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    compareWith(QFileInfo(path).fileName(), groupsAsRecords(read.groups, read.recordNumbers),
                assessGroups(read.groups).total.score);
}

} // namespace quorvia
