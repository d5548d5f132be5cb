// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "arrangement/GroupDescriptions.h"
#include "board/BoardModel.h"
#include "board/BoardView.h"
#include "board/BoardWindow.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "mainwindow/MainWindow.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;
using Slot = GroupArrangement::Slot;

namespace {

// Ann and Bob clash (each has what the other does not work well with); the others are neutral.
GroupTable threeGroups()
{
    const ProfileRecord ann = withTraits(person("Ann", "Lee"), {3});
    const ProfileRecord bob = withTraits(person("Bob", "Ray", "Clerk"), {}, {}, {3});
    GroupTable t{3, 3, {ann, bob, person("Cy", "Orr"), person("Di", "Fox"), person("Ed", "Holm"), {},
                        person("Flo", "Kim"), {}, {}}};
    return t;
}

QStringList names(const GroupTable &t)
{
    QStringList out;
    for (const ProfileRecord &r : t.slotRecords)
        out << (r.HasData ? trimmedField(r.FirstName) : "-");
    return out;
}

// Every figure of a report, flat, so that two reports compare at once.
QList<qint64> figures(const QualityReport &r)
{
    QList<qint64> out{r.total.people, r.total.score, r.total.conflicts, r.bound, qint64(r.percentOfBound * 1e6)};
    for (const GroupFit &fit : r.groups)
        out << fit.people << fit.score << fit.conflicts;
    return out;
}

} // namespace

class TestBoard : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }

    void modelTextsDropsAndSteps()
    {
        GroupArrangement arrangement;
        arrangement.reset(threeGroups());
        BoardModel model(&arrangement);
        QCOMPARE(model.groupTitle(0) + " | " + model.groupSummary(0), "Group 1 | Score \u22121, 1 conflict");
        QCOMPARE(model.slotText({0, 1}) + " | " + model.slotText({1, 2}), "Ray, Bob (Clerk) | NONE");
        QVERIFY(model.inConflict({0, 0}) && model.inConflict({0, 1}) && !model.inConflict({0, 2}));
        QVERIFY(model.clash({0, 1}, {0, 0}) && !model.clash({0, 0}, {0, 2}) && !model.clash({0, 0}, {1, 2}));
        QVERIFY2(model.slotToolTip({0, 0}).contains("Bob does not work well with"), qPrintable(model.slotToolTip({0, 0})));

        using D = BoardModel::Drop;
        const struct { Slot from, to; D drop; } drops[] = {
            {{0, 0}, {1, 2}, D::Move}, {{0, 0}, {2, -1}, D::Move}, {{0, 0}, {1, 0}, D::Swap},
            {{1, 0}, {0, -1}, D::Refused}, {{0, 0}, {0, 1}, D::None}, {{1, 2}, {0, 0}, D::None}};
        for (const auto &d : drops)
            QCOMPARE(model.dropFor(d.from, d.to), d.drop);

        // A pinned person moves with their pin; a move closes the gap it leaves; undo puts all back.
        arrangement.setPersonPinned({0, 0}, true);
        QCOMPARE(model.drop({0, 0}, {2, -1}), "Done: Move Ann Lee to Group 3");
        QCOMPARE(names(arrangement.groups()), QStringList({"Bob", "Cy", "-", "Di", "Ed", "-", "Flo", "Ann", "-"}));
        QVERIFY(arrangement.isPersonPinned({2, 1}) && !arrangement.isPersonPinned({0, 0}));
        QCOMPARE(model.groupSummary(0), "Score 0, 0 conflicts");
        QCOMPARE(model.drop({0, 0}, {1, 1}), "Done: Swap Bob Ray with Ed Holm");
        QCOMPARE(model.drop({1, 0}, {0, -1}), "Done: Move Di Fox to Group 1");
        QCOMPARE(model.drop({1, 0}, {0, -1}), "Group 1 is full: drop onto one of its people to swap instead.");
        const std::vector<bool> locked = arrangement.improveOptions(false).lockedSlots;
        QCOMPARE(std::count(locked.begin(), locked.end(), true), 1L);
        QVERIFY(locked[7]);
        QVERIFY(arrangement.hasUnsavedChanges());
        while (arrangement.undoStack()->canUndo())
            arrangement.undoStack()->undo();
        QCOMPARE(arrangement.groups().slotRecords, threeGroups().slotRecords);
        QVERIFY(!arrangement.hasUnsavedChanges() && !arrangement.isPersonPinned({0, 0}));
    }

    // A group with a gap (a pinned person Improve left in place): undo and
    // redo of a move into it restore exactly the table, pins and quality.
    void undoRedoKeepsGaps()
    {
        GroupArrangement arrangement;
        arrangement.reset({2, 4, {person("Di", "Fox"), {}, person("Pat", "Orr"), {}, person("Xi", "Lee"), person("Yu", "Ng"), {}, {}}});
        arrangement.setPersonPinned({0, 2}, true);
        auto state = [&] {
            QStringList pins;
            for (int s = 0; s < 8; ++s)
                pins << (arrangement.isPersonPinned({s / 4, s % 4}) ? "pin" : "");
            return QVariantList{names(arrangement.groups()), pins, QVariant::fromValue(figures(arrangement.report()))};
        };
        const QVariantList before = state();
        Slot placed;
        QCOMPARE(arrangement.moveToGroup({1, 0}, 0, &placed), QString());
        QVERIFY(placed == Slot({0, 1}));  // the gap, not after the last person
        const QVariantList after = state();
        QCOMPARE(names(arrangement.groups()), QStringList({"Di", "Xi", "Pat", "-", "Yu", "-", "-", "-"}));
        for (int round = 0; round < 2; ++round) {
            arrangement.undoStack()->undo();
            QCOMPARE(state(), before);
            arrangement.undoStack()->redo();
            QCOMPARE(state(), after);
        }
    }

    // The quality follows each step without scoring everybody again: random
    // moves (groups grow, shrink and empty), swaps, undo, redo and whole new
    // arrangements of the same people, each checked against a fresh assessment.
    void qualityFollowsEveryStep()
    {
        const struct { int people, perGroup, extraSlots; } cases[] = {{12, 3, 3}, {60, 2, 40}, {300, 10, 30}, {700, 175, 20}};
        for (const auto &c : cases) {
            const GroupTable dealt = buildGroups(PoolGenerator(11).pool(c.people, {}), SizeOption::PeoplePerGroup, c.perGroup);
            GroupTable roomy{dealt.NumGroups, dealt.GroupSize + c.extraSlots, {}};
            for (int g = 0; g < dealt.NumGroups; ++g) {
                roomy.slotRecords.insert(roomy.slotRecords.end(), dealt.slotRecords.begin() + g * dealt.GroupSize,
                                         dealt.slotRecords.begin() + (g + 1) * dealt.GroupSize);
                roomy.slotRecords.resize(roomy.slotRecords.size() + std::size_t(c.extraSlots));
            }
            GroupArrangement arrangement;
            arrangement.reset(roomy);
            std::mt19937 random(5);
            auto anyone = [&] {
                Slot at;
                do
                    at = {int(random() % unsigned(roomy.NumGroups)), int(random() % unsigned(roomy.GroupSize))};
                while (!arrangement.isPerson(at));
                return at;
            };
            for (int step = 0; step < 200; ++step) {
                const unsigned kind = random() % 10;
                if (kind < 5) {  // half of the moves crowd into the first groups, emptying the others
                    const unsigned groups = unsigned(kind < 2 ? std::min(3, roomy.NumGroups) : roomy.NumGroups);
                    arrangement.moveToGroup(anyone(), int(random() % groups));
                } else if (kind < 7) {
                    arrangement.swap(anyone(), anyone());
                } else if (kind == 7) {
                    arrangement.undoStack()->undo();
                } else if (kind == 8) {
                    arrangement.undoStack()->redo();
                } else {
                    GroupTable shuffled = arrangement.groups();
                    std::shuffle(shuffled.slotRecords.begin(), shuffled.slotRecords.end(), random);
                    for (auto group = shuffled.slotRecords.begin(); group != shuffled.slotRecords.end(); group += shuffled.GroupSize)
                        std::stable_partition(group, group + shuffled.GroupSize, [](const ProfileRecord &r) { return r.HasData != 0; });
                    arrangement.applyImproved(shuffled, "Shuffle");
                }
                QCOMPARE(figures(arrangement.report()), figures(assessGroups(arrangement.groups())));
            }
        }
    }

    void boardDrivesTheMainWindow()
    {
        const QString pool = dir.filePath("pool.Qvr");
        QVERIFY(writePool(pool, PoolGenerator(7).pool(14, {})));
        MainWindow window(pool);
        QVERIFY(window.startUp());
        calculateGroups(window, "4");
        QTest::mouseClick(window.findChild<QPushButton *>("cmdArrangeGroups"), Qt::LeftButton);
        auto *board = window.findChild<BoardWindow *>("frmBoard");
        QVERIFY(board && board->isVisible() && QTest::qWaitForWindowActive(board));
        BoardView *view = board->view();
        auto *box = window.findChild<QPlainTextEdit *>("txtGroups");
        auto boxShows = [&] { return box->toPlainText() == groupListing(window.Groups).replace("\r\n", "\n"); };
        auto drag = [&](Slot from, Slot to) {
            const QPoint start = view->slotRect(from).center();
            const QPoint end = to.slot < 0 ? view->cardRect(to.group).topLeft() + QPoint(20, 8) : view->slotRect(to).center();
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
            QTest::mouseMove(view->viewport(), (start + end) / 2);
            QTest::mouseMove(view->viewport(), end);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, end);
            return board->statusBar()->currentMessage();
        };
        const GroupTable calculated = window.Groups;  // 4, 4, 4 and 2 people
        std::vector<int> open, full;
        for (int g = 0; g < 4; ++g)
            (calculated.at(g, 3).HasData ? full : open).push_back(g);
        QCOMPARE(open.size(), std::size_t(1));
        const int o = open[0];
        const ProfileRecord mover = calculated.at(full[0], 0), swapper = calculated.at(o, 0);

        // Dropped on the last free slot, the person takes the first one.
        QCOMPARE(drag({full[0], 0}, {o, 3}), "Done: Move " + personName(mover) + " to Group " + QString::number(o + 1));
        QVERIFY(window.Groups.at(o, 2) == mover && boxShows());
        QCOMPARE(drag({o, 0}, {full[1], 1}),
                 "Done: Swap " + personName(swapper) + " with " + personName(calculated.at(full[1], 1)));
        QVERIFY(window.Groups.at(full[1], 1) == swapper && window.Groups.at(o, 0) == calculated.at(full[1], 1));
        QVERIFY(boxShows());
        const GroupTable arranged = window.Groups;
        QVERIFY(drag({o, 0}, {full[1], -1}).contains(QString("Group %1 is full").arg(full[1] + 1)));
        QCOMPARE(window.Groups.slotRecords, arranged.slotRecords);

        // The keyboard: Ctrl+M asks for the group.
        view->setCurrent({o, 0});
        QTest::keyClick(board, Qt::Key_M, Qt::ControlModifier);
        auto *ask = board->findChild<QInputDialog *>("dlgMoveToGroup");
        QVERIFY(ask);
        ask->setIntValue(full[0] + 1);
        ask->accept();
        QCOMPARE(window.Groups.at(full[0], 3), arranged.at(o, 0));
        // The main window undoes while the question is open: the slot asked about is stale then.
        QTest::keyClick(board, Qt::Key_M, Qt::ControlModifier);
        for (QInputDialog *open : board->findChildren<QInputDialog *>("dlgMoveToGroup"))
            ask = open->isVisible() ? open : ask;
        window.arrangement()->undoStack()->undo();
        ask->accept();
        QCOMPARE(board->statusBar()->currentMessage(), "The groups changed meanwhile: nobody was moved. Choose the person again.");
        // The board is active again once its questions closed, as a window manager makes it.
        board->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(board));
        QCOMPARE(window.Groups.slotRecords, arranged.slotRecords);
        QVERIFY(boxShows());
        QTest::keyClick(board, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(board, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.Groups.slotRecords, calculated.slotRecords);
        QTest::keyClick(board, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(window.Groups.at(o, 2) == mover && boxShows());

        // A person Improve would move is pinned on the board; Improve leaves
        // them in their group, their pin with them, and no free slot before anybody.
        const GroupTable free = improveGroups(window.Groups, {}).groups;
        QVERIFY(free.slotRecords != window.Groups.slotRecords);
        int moved = 0;
        while (window.Groups.slotRecords[std::size_t(moved)] == free.slotRecords[std::size_t(moved)])
            ++moved;
        const Slot pinned{moved / 4, moved % 4};
        view->setCurrent(pinned);
        QTest::keyClick(board, Qt::Key_L, Qt::ControlModifier);
        const ProfileRecord keep = window.Groups.at(pinned.group, pinned.slot);
        board->findChild<QAction *>("mnuImprove")->trigger();
        int at = 0;
        while (at < 4 && !(window.Groups.at(pinned.group, at) == keep))
            ++at;
        QVERIFY(at < 4 && window.arrangement()->isPersonPinned({pinned.group, at}));
        for (int g = 0; g < window.Groups.NumGroups; ++g)
            for (int s = 1; s < 4; ++s)
                QVERIFY(isPerson(window.Groups.at(g, s - 1)) || !isPerson(window.Groups.at(g, s)));
        QVERIFY(window.Groups.slotRecords != free.slotRecords && boxShows());
        QVERIFY(board->statusBar()->currentMessage().startsWith("Improved the groups"));
        QCOMPARE(board->findChild<QAction *>("mnuUndo")->text(), "&Undo Improve");
        // The board has the keyboard back: Ctrl+L unpins the kept person.
        QVERIFY(QTest::qWaitForWindowActive(board));
        view->setCurrent({pinned.group, at});
        QTest::keyClick(board, Qt::Key_L, Qt::ControlModifier);
        QVERIFY2(!window.arrangement()->isPersonPinned({pinned.group, at}), qPrintable(board->statusBar()->currentMessage()));

        // Closed and opened again: where and as large as it was.
        board->move(40, 30);
        board->resize(700, 500);
        const QRect place = board->geometry();
        board->close();
        QTest::mouseClick(window.findChild<QPushButton *>("cmdArrangeGroups"), Qt::LeftButton);
        QCOMPARE(board->geometry(), place);
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
