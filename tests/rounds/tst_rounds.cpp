// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/GroupsCsv.h"
#include "csv/GroupsFile.h"
#include "grouping/GroupListing.h"
#include "grouping/GroupImprover.h"
#include "rounds/GroupingComparison.h"
#include "rounds/ImproveConditions.h"
#include "rounds/PairHistory.h"
#include "rounds/RepeatPairsPenalty.h"
#include "rounds/RoundsFile.h"
#include "rules/RulesFixtures.h"
#include "support/PoolFixtures.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestRounds : public QObject {
    Q_OBJECT

    // Two people with the same names but different positions, two
    // byte-identical records (who can stand for each other), and two
    // different people with the same name.
    const std::vector<ProfileRecord> pool{person("Anna", "Smith", "Manager"), person("Anna", "Smith", "Clerk"),
                                          person("", "Brown"), person("Carl", "Lee, Jr"), person("Eva", "Diaz"),
                                          person("Eva", "Diaz"), person("Bo", "Kim"), withTraits(person("Bo", "Kim"), {3}),
                                          person("NONE", "")};

    GroupsFile saved()
    {
        GroupsFile file;
        file.groups = GroupTable{2, 4, {pool[3], pool[0], pool[4], ProfileRecord(), pool[2], pool[5], pool[8],
                                        ProfileRecord()}};
        file.recordNumbers = {4, 1, 5, 0, 3, 6, 9, 0};
        file.personPins = {0, 1, 0, 0, 0, 0, 0, 0};
        file.groupPins = {0, 1};
        file.poolName = "team.Qvr";
        return file;
    }

    QByteArray csvOf(const GroupsFile &file)
    {
        return groupsCsvBytes(file.groups, {file.recordNumbers, file.personPins, file.groupPins, file.poolName});
    }

private slots:
    // What Save Groups writes reads back exactly, also after a spreadsheet
    // saved it again: rows sorted otherwise, LF or CR LF, with or without a
    // byte-order mark, a number gone stale.
    void groupsFileRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("poolName");
        const QByteArray csv = csvOf(saved());
        QTest::newRow("as saved") << csv << "team.Qvr";
        QList<QByteArray> lines = csv.mid(3).split('\n');
        lines.removeAll(QByteArray());
        QByteArray reordered = lines.takeFirst();
        std::reverse(lines.begin(), lines.end());
        for (const QByteArray &line : lines)
            reordered += '\n' + line.trimmed();
        QTest::newRow("reordered, LF, no BOM") << reordered << "team.Qvr";
        QTest::newRow("other pool: names decide") << csv << "other.Qvr";
        QByteArray stale = csv;
        stale.replace(",yes,,team.Qvr", ",yes,,").replace(",1,yes,", ",2,yes,");
        QTest::newRow("stale number") << stale << "team.Qvr";
    }
    void groupsFileRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, poolName);
        GroupsFile read;
        QString error;
        QVERIFY2(readGroupsFile(bytes, pool, poolName, &read, &error), qPrintable(error));
        const GroupsFile expected = saved();
        QVERIFY(read.groups.slotRecords == expected.groups.slotRecords);
        QCOMPARE(read.groups.NumGroups, 2);
        QCOMPARE(read.personPins, expected.personPins);
        QCOMPARE(read.groupPins, expected.groupPins);
        // Identical records may trade numbers; the others keep theirs.
        QCOMPARE(read.recordNumbers[0], 4);
        QCOMPARE(read.recordNumbers[1], 1);
        QCOMPARE(read.recordNumbers[2] + read.recordNumbers[5], 11);
        QCOMPARE(read.recordNumbers[6], 9);  // first name NONE, yet a person
    }

    // The exported document has names only; it reads back where they are unique.
    void groupsDocument()
    {
        GroupTable table{2, 2, {pool[3], pool[2], pool[0], ProfileRecord()}};
        GroupsFile read;
        QString error;
        QVERIFY2(readGroupsFile(groupsDocumentBytes(table), pool, "team.Qvr", &read, &error), qPrintable(error));
        QVERIFY(read.groups.slotRecords == table.slotRecords);
        QCOMPARE(read.recordNumbers, (std::vector<int>{4, 3, 1, 0}));
        // As the command line prints it: LF, UTF-8.
        QByteArray printed;
        for (const QString &line : quorvia::groupsDocument(table))
            printed += line.toUtf8() + '\n';
        QVERIFY2(readGroupsFile(printed, pool, "team.Qvr", &read, &error), qPrintable(error));
        QCOMPARE(read.recordNumbers, (std::vector<int>{4, 3, 1, 0}));
    }

    // Nothing half-loaded: every fault names its line.
    void groupsFileFaults_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray head = "Group,Slot,First name,Last name,Position,Score,Record\r\n";
        QTest::newRow("unknown person") << head + "1,1,Zoe,Nobody,,0,\r\n" << "Line 2: no one in the pool is \"Nobody, Zoe\"";
        QTest::newRow("ambiguous") << QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n\r\n\r\nGroup 1\r\n\r\nBrown\r\nKim, Bo\r\n")
                                   << "could be any of several";
        QTest::newRow("twice") << head + "1,1,,Brown,,0,3\r\n2,1,,Brown,,0,3\r\n" << "Line 3: \"Brown\" is on line 2 already";
        QTest::newRow("slot twice") << head + "1,1,,Brown,,0,3\r\n1,1,Carl,\"Lee, Jr\",,0,4\r\n" << "Line 3: Group 1, slot 1";
        QTest::newRow("bad slot") << head + "1,x,,Brown,,0,3\r\n" << "Line 2: the group and the slot";
        QTest::newRow("huge") << head + "100000,100000,,Brown,,0,3\r\n" << "far more than any pool";
        QTest::newRow("not groups") << QByteArray("Name,Age\r\nAnna,3\r\n") << "not a groups file";
        QTest::newRow("text") << QByteArray("hello\r\n") << "not a groups file";
    }
    void groupsFileFaults()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        GroupsFile read;
        read.poolName = "untouched";
        QString error;
        QVERIFY(!readGroupsFile(bytes, pool, "team.Qvr", &read, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(read.poolName, QString("untouched"));
    }

    // Pairs that met before, per group and in total, also when a person has
    // been apart from an earlier partner since.
    void repeatCounting()
    {
        PairHistory history;
        history.addGroups({{1, 2, 3}, {4, 5}});
        history.addGroups({{1, 2}, {3, 6}});
        QCOMPARE(history.pairCount(), 5);
        QVERIFY(history.met(3, 1) && history.met(6, 3) && !history.met(1, 4));
        GroupTable table{2, 3, std::vector<ProfileRecord>(6, pool[2])};
        const RepeatCount count = countRepeats(table, {1, 2, 3, 4, 6, 5}, history);
        QCOMPARE(count.perGroup, (std::vector<int>{3, 1}));
        QCOMPARE(count.total, 4);
        QCOMPARE(count.perSlot, (std::vector<char>{1, 1, 1, 1, 0, 1}));
        QCOMPARE(countRepeats(table, {1, 4, 6, 2, 5, 0}, history).total, 0);
    }

    // Two groupings side by side: pairs in both, and who is elsewhere.
    void comparison()
    {
        const GroupingComparison c = compareGroupings({{1, 2, 3}, {4, 5}}, {{1, 2}, {3, 4, 6}});
        QCOMPARE(c.pairsHere, 4);
        QCOMPARE(c.pairsThere, 4);
        QCOMPARE(c.sharedPairs, 1);
        QCOMPARE(c.moves.size(), std::size_t(3));
        QCOMPARE(c.moves[0].record * 100 + c.moves[0].fromGroup * 10 + c.moves[0].toGroup, 310);
        QCOMPARE(std::make_pair(c.moves[1].fromGroup, c.moves[1].toGroup), std::make_pair(-1, 1));  // 5: new here
        QCOMPARE(std::make_pair(c.moves[2].fromGroup, c.moves[2].toGroup), std::make_pair(1, -1));  // 6: gone
    }

    // The penalty's deltas agree with counting afresh after random moves and
    // swaps; it only knows the people of its table.
    void penaltyFollowsMoves()
    {
        const int numGroups = 6, groupSize = 5, people = 27;
        PairHistory history;
        QRandomGenerator random(7);
        for (int round = 0; round < 4; ++round) {
            std::vector<int> order(people);
            std::iota(order.begin(), order.end(), 1);
            std::shuffle(order.begin(), order.end(), random);
            std::vector<std::vector<int>> groups(numGroups);
            for (int i = 0; i < people; ++i)
                groups[std::size_t(i % numGroups)].push_back(order[std::size_t(i)]);
            history.addGroups(groups);
        }
        history.addGroups({{1, 99}});  // someone not in the table
        GroupTable table{numGroups, groupSize, std::vector<ProfileRecord>(numGroups * groupSize, pool[2])};
        std::vector<int> numbers(table.slotRecords.size(), 0);
        std::vector<int> groupOf(table.slotRecords.size(), -1);
        for (int i = 0; i < people; ++i) {
            numbers[std::size_t(i)] = i + 1;
            groupOf[std::size_t(i)] = i / groupSize;
        }
        RepeatPairsPenalty penalty(table, numbers, history);
        penalty.reset(groupOf, numGroups);
        auto fresh = [&] {
            GroupTable placed{numGroups, people, std::vector<ProfileRecord>(std::size_t(numGroups * people), pool[2])};
            std::vector<int> at(placed.slotRecords.size(), 0);
            std::vector<int> used(numGroups, 0);
            for (int p = 0; p < people; ++p) {
                const int g = groupOf[std::size_t(p)];
                at[std::size_t(g * people + used[std::size_t(g)]++)] = numbers[std::size_t(p)];
            }
            return countRepeats(placed, at, history).total;
        };
        QCOMPARE(penalty.broken(), fresh());
        PoolGenerator moves(7);
        followRandomMoves(penalty, groupOf, people, numGroups, people, moves, 300, [&] {
            QCOMPARE(penalty.broken(), fresh());
            for (const int p : penalty.culprits())
                QVERIFY(penalty.moveDelta(p, (groupOf[std::size_t(p)] + 1) % numGroups) != 0
                        || penalty.broken() > 0);
            QCOMPARE(penalty.culprits().empty(), penalty.broken() == 0);
        });
    }

    // A rule met comes before any number of earlier partners: three kept
    // together who all met before stay together, though splitting them
    // would undo four repeats.
    void ruleBeforeEarlierPartners()
    {
        const std::vector<ProfileRecord> six{person("A", "One"), person("B", "Two"),  person("C", "Three"),
                                             person("D", "Four"), person("E", "Five"), person("F", "Six")};
        const GroupTable start = tableOf(six, 3, {1, 2, 3, 4, 5, 6});
        const std::vector<int> numbers = allNumbers(six);
        PairHistory history;
        history.addGroups({{1, 2, 3}, {4, 5, 6}});
        RuleSet rules;
        rules.rules.push_back(GroupRule{RuleKind::KeepTogether, {1, 2, 3}, {}, -1, true});
        ImproveConditions conditions(start, std::make_unique<RulesPenalty>(rules, start, six, numbers),
                                     std::make_unique<RepeatPairsPenalty>(start, numbers, history));
        ImproveOptions options;
        options.penalty = conditions.penalty();
        const GroupTable improved = improveGroups(start, options).groups;
        const auto groupOf = [&](int record) {
            const auto at = std::find(improved.slotRecords.begin(), improved.slotRecords.end(), six[std::size_t(record - 1)]);
            return int(at - improved.slotRecords.begin()) / improved.GroupSize;
        };
        QVERIFY(groupOf(1) == groupOf(2) && groupOf(2) == groupOf(3));
    }

    // The rounds file: written and read back; a damaged one is reported and
    // left alone.
    void roundsFile()
    {
        QTemporaryDir dir;
        const QString poolPath = dir.filePath("team.Qvr");
        std::vector<Round> rounds{{"2026-12-01", "Week 1", {{1, 2, 3}, {4}}}, {"2026-12-08", "Week 2\nlate", {}}};
        QString error;
        QVERIFY(writeRounds(poolPath, rounds, &error, [](int r) { return QStringLiteral("P#%1").arg(r); }));
        QVERIFY(readFile(roundsPathFor(poolPath)).contains("group 1 2 3  # P#1; P#2; P#3\n"));
        std::vector<Round> read;
        QVERIFY2(readRounds(poolPath, &read, &error), qPrintable(error));
        QCOMPARE(read.size(), std::size_t(2));
        QCOMPARE(read[0].groups, rounds[0].groups);
        QCOMPARE(read[1].name, QString("Week 2 late"));

        const QByteArray damaged = "round 2026-12-01 A\ngroup 1 x 3\n";
        QVERIFY(writeFile(roundsPathFor(poolPath), damaged));
        QVERIFY(!readRounds(poolPath, &read, &error));
        QVERIFY2(error.contains("line 2") && error.contains("\"x\""), qPrintable(error));
        QCOMPARE(readFile(roundsPathFor(poolPath)), damaged);
        QVERIFY(readRounds(dir.filePath("none.Qvr"), &read, &error) && read.empty());
    }
};

QTEST_GUILESS_MAIN(TestRounds)
#include "tst_rounds.moc"
