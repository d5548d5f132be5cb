// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "grouping/RecordNumbers.h"
#include "grouping/ReferenceGroupBuilder.h"
#include "pool/TraitCatalogue.h"

#include <QtTest>

#include <numeric>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

constexpr SizeOption kAmount = SizeOption::AmountOfGroups, kPerGroup = SizeOption::PeoplePerGroup;

// Records as the editor saves them, from "Name own,own/compatible/incompatible HasData": trait names as the
// editor lists them, HasData -1 unless given.
std::vector<ProfileRecord> people(const QStringList &texts)
{
    std::vector<ProfileRecord> records;
    for (const QString &text : texts) {
        const QStringList parts = text.split(' ');
        ProfileRecord &r = records.emplace_back(person({}, parts[0]));
        TraitFlags *lists[] = {&r.OwnAttributes, &r.CompatibleWith, &r.IncompatibleWith};
        const QStringList traits = parts.value(1).split('/');
        for (int l = 0; l < traits.size(); ++l)
            for (const QString &trait : traits[l].split(',', Qt::SkipEmptyParts))
                lists[l]->at(std::size_t(traitCatalogue().indexOf(trait))) = kTrue;
        if (parts.size() > 2)
            r.HasData = std::int16_t(parts[2].toInt());
    }
    return records;
}

// Last names, "-" for a record whose HasData is 0; groups separated by " | ".
QString layout(const GroupTable &t)
{
    QStringList names;
    for (std::size_t i = 0; i < t.slotRecords.size(); ++i)
        names << QLatin1String(i > 0 && i % std::size_t(t.GroupSize) == 0 ? "| " : "")
                + (t.slotRecords[i].HasData == 0 ? QStringLiteral("-") : trimmedField(t.slotRecords[i].LastName));
    return names.join(' ');
}

} // namespace

class TestGrouping : public QObject {
    Q_OBJECT

private slots:
    void chain_data()
    {
        QTest::addColumn<QStringList>("pool");
        QTest::addColumn<QString>("chain");
        QTest::newRow("worked example") << QStringList{"A Creative,Serious/Follower/", "B Follower/Creative/Serious",
                                                       "C Follower,Diligent/Serious/Creative,Impulsive"} << "C A B";
        QTest::newRow("no flags: list order") << QStringList{"P", "Q", "R", "S"} << "P Q R S";
        // Seed and Twin have three flags each; every score against Seed is below 0.
        QTest::newRow("least negative") << QStringList{"Seed Older,Expert/Comic/", "Minus2 //Older,Expert",
                                                       "Minus1 //Older,Technical", "Twin Younger,Beginner//Older"}
                                        << "Seed Minus1 Minus2 Twin";
        // Mid and Far tie against Head; Far fits Head but not Mid, who was placed last.
        QTest::newRow("last placed") << QStringList{"Head Creative/Serious,Comic/", "Mid Serious//Technical",
                                                    "Far Comic,Technical", "Late Serious"} << "Head Mid Late Far";
    }
    void chain()
    {
        QFETCH(QStringList, pool);
        QTEST(layout(buildGroups(people(pool), kAmount, 1)), "chain");  // one group: its slots in chain order
    }

    void sizing_data()
    {
        QTest::addColumn<bool>("amount");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("groups");
        QTest::newRow("3 groups of 10") << true << 3 << 10 << "3 x 4";
        QTest::newRow("12 groups of 10") << true << 12 << 10 << "12 x 1";
        QTest::newRow("4 per group of 10") << false << 4 << 10 << "3 x 4";
        QTest::newRow("5 per group of 10") << false << 5 << 10 << "2 x 5";
        QTest::newRow("15 per group of 10") << false << 15 << 10 << "1 x 15";
        QTest::newRow("999 groups of 32767") << true << 999 << 32767 << "999 x 33";
        QTest::newRow("1 per group of 32767") << false << 1 << 32767 << "32767 x 1";
    }
    void sizing()
    {
        QFETCH(bool, amount);
        QFETCH(int, value);
        QFETCH(int, n);
        const GroupSizing s = sizeGroups(amount ? kAmount : kPerGroup, value, n);
        QTEST(QStringLiteral("%1 x %2").arg(s.NumGroups).arg(s.GroupSize), "groups");
    }
    void sizeBoxValues()
    {
        // A per-group default of a large pool is read back whole; nothing overflows.
        for (const auto &[text, value] : {std::pair{"", 0}, {"007", 7}, {"12a", 12}, {" 40000", 40000},
                                          {"99999999999999", kMaxBoxValue}})
            QCOMPARE(sizeBoxValue(QString::fromLatin1(text)), value);
    }

    void dealing_data()
    {
        QTest::addColumn<QStringList>("chain");
        QTest::addColumn<int>("numGroups");
        QTest::addColumn<int>("groupSize");
        QTest::addColumn<QString>("groups");
        QTest::newRow("worked example 1") << QStringList{"P0 Creative", "P1 /Creative,Technical,Independent",
                                                         "P2 //Creative", "P3 Technical,Independent"}
                                          << 2 << 2 << "P0 P1 | P2 P3";
        QTest::newRow("worked example 2") << QStringList{"P0 Creative,Technical", "P1 //Creative,Technical", "P2"}
                                          << 2 << 2 << "P0 P2 | P1 -";
        // Below 0 everywhere and no empty group left: the least negative, the lower one on a tie.
        QTest::newRow("crowded") << QStringList{"G0 Older,Expert", "G1 Older//Older,Expert", "G2 Expert//Older,Expert",
                                                "Late //Older,Expert"} << 3 << 2 << "G0 - | G1 Late | G2 -";
        QTest::newRow("no flags") << QString("A B C D E F G").split(' ') << 3 << 3 << "A B C | D E F | G - -";
        QTest::newRow("alone") << QStringList{"Solo Creative/Comic/"} << 5 << 1 << "Solo | - | - | - | -";
        // Ghost (HasData 0) opens group 2 without taking its slot; Fan scores +1 there thanks to it and replaces it.
        QTest::newRow("replaced") << QStringList{"Head Creative", "Ghost Comic//Creative 0", "Fan /Comic/", "Next"}
                                  << 2 << 2 << "Head Next | Fan -";
        // A ghost nobody replaces stays; a HasData that is some other word takes its slot.
        QTest::newRow("ghost left") << QStringList{"A", "B", "Odd // 5", "Ghost // 0"} << 1 << 4 << "A B Odd -";
        QTest::newRow("ghost head") << QStringList{"Ghost Comic 0", "Real"} << 1 << 2 << "Real -";
    }
    void dealing()
    {
        QFETCH(QStringList, chain);
        QFETCH(int, numGroups);
        QFETCH(int, groupSize);
        const std::vector<ProfileRecord> ordered = people(chain);
        std::vector<int> identity(ordered.size());
        std::iota(identity.begin(), identity.end(), 0);
        QTEST(layout(dealIntoGroups(ordered, identity, {numGroups, groupSize})), "groups");
    }

    void slotText()
    {
        ProfileRecord runTogether = person("Carl", "Lee", "Cook"), emptyPosition = person({}, "Lee");
        runTogether.HasBothNames = kFalse;
        runTogether.HasPosition = 1;  // only -1 is True
        emptyPosition.HasPosition = kTrue;
        const std::vector<ProfileRecord> odd = people({"Named // 0", "Odd // 1", "Odd // -2"});
        const std::pair<ProfileRecord, QString> cases[] = {
            {person("Carl", {}), "Carl"}, {runTogether, "LeeCarl"}, {emptyPosition, "Lee ()"},
            {person("Mary Ann", "  van Dijk  ", " Head Cook"), "van Dijk, Mary Ann (Head Cook)"},
            {person("Mnopqrstuvwxyz", "Abcdefghijkl"), "Abcdefghijkl, Mnopqrstuvwx"}, {ProfileRecord{}, "NONE"},
            {odd[0], "NONE"}, {odd[1], "no line"}, {odd[2], "no line"}};
        for (const auto &[record, text] : cases)
            QCOMPARE(SlotText(record).value_or("no line"), text);
    }

    // Slots find their records by content; identical records get distinct
    // numbers, and people outside the candidates none.
    void recordNumbers()
    {
        PoolGenerator generator(7);
        std::vector<ProfileRecord> records = generator.pool(5, {});
        records[3] = records[1];  // twins
        GroupTable table{2, 3, {records[3], records[0], ProfileRecord{}, records[1], records[4], records[2]}};
        QCOMPARE(recordNumbersOf(table, records, {1, 2, 4, 5}), (std::vector<int>{2, 1, 0, 4, 5, 0}));
    }

    void listing()
    {
        // Nobody has traits, so the groups fill in list order.
        const auto t = buildGroups({person("Anna", "Smith", "Manager"), person({}, "Brown"), person("Carl", "Lee"),
                                    person("Eva", "Diaz", "Clerk"), person({}, {}, "Driver")}, kPerGroup, 3);
        QCOMPARE(groupListing(t), "Group 1\r\n\r\nSmith, Anna (Manager)\r\nBrown\r\nLee, Carl\r\n\r\n\r\n"
                                  "Group 2\r\n\r\nDiaz, Eva (Clerk)\r\n (Driver)\r\nNONE");
        // One group: no separator anywhere. Memberless groups: their NONE lines. Numbers past 9.
        QCOMPARE(groupListing(buildGroups(people({"Solo"}), kPerGroup, 2)), "Group 1\r\n\r\nSolo\r\nNONE");
        const QString ten = groupListing(buildGroups(people({"Solo"}), kAmount, 10));
        QVERIFY(ten.startsWith("Group 1\r\n\r\nSolo\r\n\r\n\r\nGroup 2\r\n\r\nNONE\r\n\r\n\r\nGroup 3\r\n"));
        QVERIFY(ten.endsWith("\r\n\r\n\r\nGroup 10\r\n\r\nNONE"));
    }

    void randomPoolsMatchTheReference()
    {
        PoolGenerator gen(20240613u);
        int bigGroups = 0;
        for (int round = 0; round < 3000; ++round) {
            const int band = gen.between(0, 99);
            const int n = band < 65 ? gen.between(1, 20) : band < 96 ? gen.between(21, 100) : gen.between(101, 250);
            const PoolShape shape{TraitStyle(gen.between(0, kTraitStyles - 1)), gen.chance(0.3) ? 0.15 : 0.0,
                                  gen.chance(0.2) ? 0.1 : 0.0};
            const std::vector<ProfileRecord> pool = gen.pool(n, shape);
            const bool amount = gen.chance(0.5);
            const int pick = gen.between(0, 9);
            const int value = gen.between(1, pick < 5 ? 12 : pick < 8 ? n + 2 : kMaxSizeValue);
            const QString what = QStringLiteral("round %1, n %2, value %3\n").arg(round).arg(n).arg(value);

            const GroupTable expected = reference::BuildGroups(pool, amount, value);
            const GroupTable got = buildGroups(pool, amount ? kAmount : kPerGroup, value);
            QVERIFY2(got.NumGroups == expected.NumGroups && got.GroupSize == expected.GroupSize
                         && got.slotRecords == expected.slotRecords,
                     qPrintable(what + "expected " + layout(expected) + "\ngot      " + layout(got)));
            bigGroups += got.GroupSize > 1;
            QVERIFY2(CompatibilityScore(pool.front(), pool.back())
                         == reference::CompatibilityScore(pool.front(), pool.back()), qPrintable(what));

            // Every chain search this processor offers, and the dealing with wide counters, agree.
            if (round % 4 == 0) {
                const std::vector<int> chain = compatibilityChain(pool);
                for (auto m : {detail::ChainMethod::Portable, detail::ChainMethod::Popcount,
                               detail::ChainMethod::Vector})
                    QVERIFY2(!detail::chainMethodAvailable(m) || detail::compatibilityChain(pool, m) == chain,
                             qPrintable(what));
                const GroupTable wide = detail::dealIntoGroupsWide(pool, chain, {got.NumGroups, got.GroupSize});
                QVERIFY2(wide.slotRecords == got.slotRecords, qPrintable(what));
            }
        }
        QVERIFY(bigGroups > 1500);
    }
};

QTEST_APPLESS_MAIN(TestGrouping)
#include "tst_grouping.moc"
