// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/PoolGenerator.h"

#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Slot = GroupArrangement::Slot;

class TestArrangement : public QObject {
    Q_OBJECT

private slots:
    // Pins through undo, redo, moves and Improve; Improve's result as one
    // step; the best possible is no change of the groups.
    void pinsUndoAndImprove()
    {
        GroupArrangement arrangement;
        arrangement.reset(buildGroups(PoolGenerator(21u).poolAtDensity(18, 0.3), SizeOption::PeoplePerGroup, 4));
        QUndoStack *undo = arrangement.undoStack();
        QSignalSpy bound(&arrangement, &GroupArrangement::bestPossibleChanged);
        const unsigned long long revision = arrangement.revision();
        QVERIFY(arrangement.bestPossible() || bound.wait(10000));
        QCOMPARE(arrangement.revision(), revision);  // no change of the groups
        QVERIFY(arrangement.bestPossible());
        const long long best = arrangement.bestPossible()->bound;

        arrangement.setGroupPinned(1, true);
        QVERIFY(arrangement.isGroupPinned(1) && arrangement.revision() > revision);
        undo->undo();
        QVERIFY(!arrangement.isGroupPinned(1));
        undo->redo();
        QVERIFY(arrangement.isGroupPinned(1));

        // A pinned person's pin goes with them, and comes back with undo.
        const ProfileRecord ann = arrangement.groups().at(0, 1);
        arrangement.setPersonPinned({0, 1}, true);
        Slot placed;
        const int last = arrangement.groups().NumGroups - 1;  // a group with a free slot
        QCOMPARE(arrangement.moveToGroup({0, 1}, last, &placed), QString());
        QVERIFY(arrangement.isPersonPinned(placed) && arrangement.groups().at(placed.group, placed.slot) == ann);
        QVERIFY(!arrangement.isPersonPinned({0, 1}));
        undo->undo();
        QVERIFY(arrangement.isPersonPinned({0, 1}) && arrangement.groups().at(0, 1) == ann);
        arrangement.setPersonPinned({0, 1}, false);
        QVERIFY(!arrangement.isPersonPinned({0, 1}));
        arrangement.setPersonPinned({0, 1}, true);

        // Improve keeps the pinned group whole and the pinned person in their group, pin and all.
        const GroupTable before = arrangement.groups();
        const ImproveOptions options = arrangement.improveOptions(false);
        for (int s = 0; s < before.GroupSize; ++s)
            QVERIFY(options.lockedSlots[std::size_t(before.GroupSize + s)]);
        const GroupTable improved = improveGroups(before, options).groups;
        const int steps = undo->count();
        QVERIFY(improved.slotRecords != before.slotRecords);
        QVERIFY(arrangement.applyImproved(improved, "Improve"));
        for (int s = 0; s < before.GroupSize; ++s)
            QVERIFY(arrangement.groups().at(1, s) == before.at(1, s));
        int at = 0;
        while (at < before.GroupSize && !(arrangement.groups().at(0, at) == ann))
            ++at;
        QVERIFY(at < before.GroupSize && arrangement.isPersonPinned({0, at}));
        QCOMPARE(undo->count(), steps + 1);
        QCOMPARE(arrangement.bestPossible()->bound, best);
    }
};

QTEST_MAIN(TestArrangement)
#include "tst_arrangement.moc"
