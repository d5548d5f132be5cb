// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "csv/GroupsFile.h"
#include "dialogs/TextPrompt.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "mainwindow/MainWindow.h"
#include "profiles/ProfilesWindow.h"
#include "rounds/RoundsFile.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

// Groups saved and opened, the questions before they are lost, rounds and
// the pairs who met before, comparing, all through the main window.
class TestGroupsWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString poolPath;

    QString status(MainWindow &window) { return window.statusBar()->currentMessage(); }

private slots:
    void initTestCase()
    {
        useSeams();
        poolPath = dir.filePath("class.Qvr");
        QVERIFY(writePool(poolPath, PoolGenerator(11).pool(16, {})));
        QVERIFY(writePool(dir.filePath("other.Qvr"), PoolGenerator(12).pool(5, {})));
    }
    void cleanup()
    {
        QCOMPARE(TextPrompt::pendingAnswers(), 0);
        checkSeamsUsedUp();
    }

    // Arranged and pinned groups come back from the file exactly, and the
    // questions guard them until they are saved.
    void saveOpenAndQuestions()
    {
        MainWindow window(poolPath);
        QVERIFY(window.startUp());
        calculateGroups(window, "4");
        GroupArrangement &arrangement = *window.arrangement();
        QVERIFY(arrangement.swap({0, 0}, {1, 1}).isEmpty());
        arrangement.setPersonPinned({2, 1}, true);
        arrangement.setGroupPinned(3, true);
        const GroupTable arranged = window.Groups;

        // Cancel keeps everything; Discard lets Calculate go on.
        MessageBox::queueAnswer(MessageBox::Cancel);
        calculateGroups(window, "4");
        QCOMPARE(window.Groups.slotRecords, arranged.slotRecords);
        QCOMPARE(MessageBox::shownBoxes().back().style, MessageBox::Style::SaveDiscardCancel);
        QVERIFY(MessageBox::shownBoxes().back().text.contains("calculating new groups"));
        // Save, but the save dialog cancelled: nothing is lost either.
        MessageBox::queueAnswer(MessageBox::Save);
        FileDialog::queueCancel();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());

        // Save from the question, then quitting asks no more.
        MessageBox::queueAnswer(MessageBox::Save);
        FileDialog::queueChoice(dir.filePath("week1"));
        calculateGroups(window, "4");
        const QByteArray saved = readFile(dir.filePath("week1.csv"));
        QVERIFY(saved.contains("Record,Pinned,Group pinned,Pool") && saved.contains(",yes,,class.Qvr"));
        QVERIFY(!arrangement.hasUnsavedChanges());

        // Opened again (as a spreadsheet saves it: rows the other way round, LF).
        QList<QByteArray> lines = saved.split('\n');
        QByteArray edited = lines.takeFirst().trimmed();
        while (!lines.isEmpty())
            edited += '\n' + lines.takeLast().trimmed();
        QVERIFY(writeFile(dir.filePath("edited.csv"), edited));
        FileDialog::queueChoice(dir.filePath("edited.csv"));
        window.findChild<QAction *>("mnuOpenGroups")->trigger();
        QCOMPARE(window.Groups.slotRecords, arranged.slotRecords);
        QVERIFY(arrangement.isPersonPinned({2, 1}) && arrangement.isGroupPinned(3) && !arrangement.isPersonPinned({0, 0}));
        QVERIFY2(status(window).startsWith("Opened 4 groups of 16 people from edited.csv"), qPrintable(status(window)));
        QVERIFY(!arrangement.hasUnsavedChanges());

        // A file naming someone the pool lacks opens nothing and says which line.
        QVERIFY(writeFile(dir.filePath("bad.csv"), "Group,Slot,First name,Last name,Position\n1,1,No,Body,\n"));
        MessageBox::queueAnswer(MessageBox::Ok);
        FileDialog::queueChoice(dir.filePath("bad.csv"));
        window.findChild<QAction *>("mnuOpenGroups")->trigger();
        QVERIFY(MessageBox::shownBoxes().back().text.contains("Line 2"));
        QCOMPARE(window.Groups.slotRecords, arranged.slotRecords);

        // Opening another pool asks too; afterwards the read-out, Improve and
        // the board leave the former groups, which Export still writes.
        window.findChild<QPushButton *>("cmdArrangeGroups")->click();
        QWidget *board = window.findChild<QWidget *>("frmBoard");
        QVERIFY(board && board->isVisible());
        arrangement.setPersonPinned({2, 1}, false);
        MessageBox::queueAnswer(MessageBox::Cancel);
        FileDialog::queueChoice(dir.filePath("other.Qvr"));
        window.findChild<QAction *>("mnuOpenNewPool")->trigger();
        QCOMPARE(window.poolPath(), poolPath);
        MessageBox::queueAnswer(MessageBox::Discard);
        FileDialog::queueChoice(dir.filePath("other.Qvr"));
        window.findChild<QAction *>("mnuOpenNewPool")->trigger();
        QCOMPARE(window.poolPath(), dir.filePath("other.Qvr"));
        QVERIFY(!board->isVisible());
        QVERIFY(!window.findChild<QPushButton *>("cmdImprove")->isEnabled());
        QCOMPARE(window.findChild<QTableView *>("tblQuality")->model()->rowCount(), 0);
        FileDialog::queueChoice(dir.filePath("former.txt"));
        window.findChild<QPushButton *>("cmdExport")->click();
        QCOMPARE(readFile(dir.filePath("former.txt")), groupsDocumentBytes(arranged));
        QVERIFY(window.close());  // nothing left to lose: no question
    }

    // Rounds: recorded beside the pool, counted in the read-out, kept apart
    // by Improve, renamed, removed, compared.
    void rounds()
    {
        QFile::remove(roundsPathFor(poolPath));
        MainWindow window(poolPath);
        QVERIFY(window.startUp());
        calculateGroups(window, "4");
        auto *repeats = window.findChild<QLabel *>("lblRepeats");
        QVERIFY(repeats->isHidden());
        TextPrompt::queueText("Week 1");
        window.findChild<QAction *>("mnuAddRound")->trigger();
        QVERIFY(readFile(roundsPathFor(poolPath)).contains("Week 1"));
        // The same groups again: every pair met before.
        QVERIFY(!repeats->isHidden());
        QVERIFY2(repeats->text().startsWith("Met before: 24 pairs (Group 1: 6"), qPrintable(repeats->text()));
        QCOMPARE(window.arrangement()->repeats().total, 24);
        const QAbstractItemModel *table = window.findChild<QTableView *>("tblQuality")->model();
        QCOMPARE(table->headerData(4, Qt::Horizontal).toString(), QString("Met before"));
        QCOMPARE(table->index(3, 4).data().toInt(), 6);

        // Avoiding them is ticked among the rules.
        QVERIFY(!window.arrangement()->createPenalty());
        window.findChild<QAction *>("mnuRules")->trigger();
        auto *avoid = window.findChild<QCheckBox *>("chkAvoidEarlier");
        QCOMPARE(avoid->text(), QString("Avoid partners of round 1"));
        avoid->setChecked(true);
        QVERIFY(window.arrangement()->createPenalty());
        window.findChild<QPushButton *>("cmdImprove")->click();
        // 16 people who all met in fours can split into fours of strangers.
        const long long left = window.arrangement()->repeats().total;
        QCOMPARE(left, 0);
        QVERIFY(!status(window).contains("still together"));
        QVERIFY(repeats->text().startsWith("No pair met"));

        // Compared with the round: the pairs shared are the ones that met before.
        window.findChild<QPushButton *>("cmdRounds")->click();
        auto *list = window.findChild<QListWidget *>("lstRounds");
        QCOMPARE(list->count(), 1);
        list->setCurrentRow(0);
        window.findChild<QPushButton *>("cmdCompareRound")->click();
        const QString summary = window.findChild<QLabel *>("lblCompareSummary")->text();
        QVERIFY2(summary.contains(QStringLiteral("Pairs together in both: %1 pair").arg(left))
                     && summary.contains("now, 24 pairs there"), qPrintable(summary));

        // Unticked, the round no longer counts; renamed and removed in the file.
        list->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(repeats->isHidden() && !window.arrangement()->createPenalty());
        QCOMPARE(avoid->text(), QString("Avoid earlier partners (no round chosen)"));
        QCOMPARE(table->columnCount(), 4);
        TextPrompt::queueText("First week");
        window.findChild<QPushButton *>("cmdRenameRound")->click();
        QVERIFY(readFile(roundsPathFor(poolPath)).contains("First week"));
        MessageBox::queueAnswer(MessageBox::Yes);
        window.findChild<QPushButton *>("cmdRemoveRound")->click();
        QCOMPARE(list->count(), 0);
        QVERIFY(!readFile(roundsPathFor(poolPath)).contains("round "));

        // A damaged rounds file is reported and left as it is.
        QVERIFY(writeFile(roundsPathFor(poolPath), "round someday X\n"));
        MessageBox::queueAnswer(MessageBox::Ok);
        window.findChild<QAction *>("mnuAddRound")->trigger();
        QVERIFY(MessageBox::shownBoxes().back().text.contains("line 1"));
        QCOMPARE(readFile(roundsPathFor(poolPath)), QByteArray("round someday X\n"));
        MessageBox::queueAnswer(MessageBox::Discard);
        QVERIFY(window.close());
    }

    // A pool another window holds: Add as a Round, a new rule and a renamed
    // round are refused with the reason, and neither file is written.
    void readOnlyPoolWritesNothing()
    {
        const QString path = dir.filePath("shared.Qvr");
        QVERIFY(writePool(path, PoolGenerator(14).pool(8, {})));
        const QByteArray rounds = "round 2026-01-05 W1\ngroup 1 2 3 4\ngroup 5 6 7 8\n";
        QVERIFY(writeFile(roundsPathFor(path), rounds));
        MainWindow first(path);
        QVERIFY(first.startUp());
        MainWindow second(path);
        MessageBox::queueAnswer(MessageBox::Yes);
        QVERIFY(second.startUp() && second.poolIsReadOnly());
        calculateGroups(second, "4");
        MessageBox::queueAnswer(MessageBox::Ok);
        second.findChild<QAction *>("mnuAddRound")->trigger();
        second.findChild<QAction *>("mnuRules")->trigger();
        QVERIFY(second.findChild<QLabel *>("lblRulesProblem")->text().contains("read-only"));
        second.findChild<QComboBox *>("cboRuleKind")->setCurrentIndex(4);
        MessageBox::queueAnswer(MessageBox::Ok);
        second.findChild<QPushButton *>("cmdAddRule")->click();
        second.findChild<QPushButton *>("cmdRounds")->click();
        second.findChild<QListWidget *>("lstRounds")->setCurrentRow(0);
        TextPrompt::queueText("Renamed");
        MessageBox::queueAnswer(MessageBox::Ok);
        second.findChild<QPushButton *>("cmdRenameRound")->click();
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(4));
        for (int box = 1; box < 4; ++box)
            QVERIFY(MessageBox::shownBoxes().at(box).text.contains("is open read-only"));
        QCOMPARE(readFile(roundsPathFor(path)), rounds);
        QVERIFY(!QFile::exists(path + ".rules"));
    }

    // Deleting a person renumbers the rounds as it does the pool, and the
    // groups' own numbers with them; a damaged rounds file is left alone.
    void deletingPersonRenumbersRounds()
    {
        const QString path = dir.filePath("six.Qvr");
        QVERIFY(writePool(path, PoolGenerator(13).pool(6, {})));
        QVERIFY(writeFile(roundsPathFor(path), "round 2026-01-05 W1\ngroup 1 2 3\ngroup 4 5 6\n"));
        MainWindow window(path);
        QVERIFY(window.startUp());
        calculateGroups(window, "3");
        ProfilesWindow *editor = window.profilesWindow();
        editor->loadFirstRecord();
        editor->findChild<QPushButton *>("cmdNext")->click();
        MessageBox::queueAnswer(MessageBox::Yes);
        editor->findChild<QPushButton *>("cmdDelete")->click();
        std::vector<Round> rounds;
        QString error;
        QVERIFY(readRounds(path, &rounds, &error));
        QCOMPARE(rounds[0].groups, (std::vector<std::vector<int>>{{1, 2}, {3, 4, 5}}));
        QVERIFY2(status(window).contains("Took them out of 1 round; the rounds now count the later records one lower."),
                 qPrintable(status(window)));

        // The groups still hold the deleted person; the round names the other five.
        TextPrompt::queueText("W2");
        window.findChild<QAction *>("mnuAddRound")->trigger();
        QVERIFY(readRounds(path, &rounds, &error));
        std::vector<int> named;
        for (const std::vector<int> &group : rounds.at(1).groups)
            named.insert(named.end(), group.begin(), group.end());
        std::sort(named.begin(), named.end());
        QCOMPARE(named, (std::vector<int>{1, 2, 3, 4, 5}));

        QVERIFY(writeFile(roundsPathFor(path), "round someday X\n"));
        MessageBox::queueAnswer(MessageBox::Yes);
        editor->findChild<QPushButton *>("cmdDelete")->click();
        QCOMPARE(readFile(roundsPathFor(path)), QByteArray("round someday X\n"));
        QVERIFY2(status(window).contains("left as it is"), qPrintable(status(window)));
    }
};

QTEST_MAIN(TestGroupsWindow)
#include "tst_groups_window.moc"
