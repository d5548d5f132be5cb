#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "grouping/ReferenceGroupBuilder.h"

#include <QtTest>

using namespace quorvia;
using quorvia::testing::PoolGenerator;
using quorvia::testing::PoolShape;
using quorvia::testing::TraitStyle;
using quorvia::testing::Traits;
using quorvia::testing::profile;

namespace {

GroupTable table(int numGroups, int groupSize, const std::vector<ProfileRecord> &records)
{
    GroupTable t;
    t.NumGroups = numGroups;
    t.GroupSize = groupSize;
    t.slotRecords = records;
    t.slotRecords.resize(std::size_t(numGroups) * std::size_t(groupSize));
    return t;
}

// Who stands where, by last name ("-" for a slot whose HasData is 0).
QStringList layout(const GroupTable &t)
{
    QStringList groups;
    for (int g = 0; g < t.NumGroups; ++g) {
        QStringList names;
        for (int s = 0; s < t.GroupSize; ++s) {
            const ProfileRecord &r = t.at(g, s);
            names << (r.HasData == 0 ? QStringLiteral("-") : trimmedField(r.LastName));
        }
        groups << names.join(QLatin1Char(' '));
    }
    return groups;
}

QStringList chainNames(const std::vector<ProfileRecord> &people, const std::vector<int> &chain)
{
    QStringList names;
    for (int i : chain)
        names << trimmedField(people[std::size_t(i)].LastName);
    return names;
}

std::vector<detail::ChainMethod> availableChainMethods()
{
    std::vector<detail::ChainMethod> methods;
    for (auto method : {detail::ChainMethod::Portable, detail::ChainMethod::Popcount, detail::ChainMethod::Vector}) {
        if (detail::chainMethodAvailable(method))
            methods.push_back(method);
    }
    return methods;
}

// The chain by every method the processor offers, as names; they must agree.
QStringList chainOf(const std::vector<ProfileRecord> &people)
{
    const QStringList names = chainNames(people, compatibilityChain(people));
    for (detail::ChainMethod method : availableChainMethods()) {
        if (chainNames(people, detail::compatibilityChain(people, method)) != names)
            return {QStringLiteral("method %1 differs").arg(int(method))};
    }
    return names;
}

std::vector<int> identityChain(int n)
{
    std::vector<int> chain(std::size_t(n), 0);
    for (int i = 0; i < n; ++i)
        chain[std::size_t(i)] = i;
    return chain;
}

// A slot's line, or "<no line>".
QString line(const ProfileRecord &r) { return SlotText(r).value_or(QStringLiteral("<no line>")); }

QString describe(const GroupTable &t)
{
    return QStringLiteral("%1 x %2: %3").arg(t.NumGroups).arg(t.GroupSize).arg(layout(t).join(QStringLiteral(" | ")));
}

} // namespace

class TestGrouping : public QObject {
    Q_OBJECT

private slots:
    void scoreCountsBothDirectionsAndOnlyTrueFlags();
    void chainFollowsTheLastPlacedPerson();
    void sizingTable_data();
    void sizingTable();
    void sizingAgreesWithDoubleArithmetic();
    void sizeBoxValueAndDefaults();
    void dealingWorkedExamples();
    void recordWithoutDataKeepsItsSlotFree();
    void smallAndLopsidedRequests();
    void slotTextFollowsTheFlags();
    void listingAndDocumentExample();
    void emptyGroupsAndDocumentBeforeCalculate();
    void randomPoolsMatchTheReference();
};

void TestGrouping::scoreCountsBothDirectionsAndOnlyTrueFlags()
{
    const ProfileRecord a = profile("A", {}, {}, Traits{{"Creative", "Serious"}, {"Follower"}, {}});
    const ProfileRecord c =
        profile("C", {}, {}, Traits{{"Follower", "Diligent"}, {"Serious"}, {"Creative", "Impulsive"}});
    QCOMPARE(CompatibilityScore(c, a), 1);
    QCOMPARE(CompatibilityScore(a, c), 1);

    // One's own trait in the other's incompatible list costs a point, both ways round.
    const ProfileRecord x = profile("X", {}, {}, Traits{{"Older", "Expert"}, {}, {}});
    const ProfileRecord y = profile("Y", {}, {}, Traits{{}, {}, {"Older", "Expert"}});
    QCOMPARE(CompatibilityScore(x, y), -2);
    QCOMPARE(CompatibilityScore(y, x), -2);

    // The extremes: everything meets everything.
    ProfileRecord best, worst;
    for (std::size_t t = 0; t < kTraitCount; ++t) {
        best.OwnAttributes[t] = best.CompatibleWith[t] = kTrue;
        worst.OwnAttributes[t] = worst.IncompatibleWith[t] = kTrue;
    }
    QCOMPARE(CompatibilityScore(best, best), 44);
    QCOMPARE(CompatibilityScore(worst, worst), -44);

    // Words other than -1 count as not set, however many bits they have.
    ProfileRecord odd = x;
    for (std::int16_t word : {std::int16_t(1), std::int16_t(-2), std::int16_t(0x7FFF), std::int16_t(-0x8000)}) {
        odd.OwnAttributes.fill(word);
        QCOMPARE(CompatibilityScore(odd, y), 0);
        odd.OwnAttributes[19] = kTrue;
        QCOMPARE(CompatibilityScore(odd, y), -1);
    }
    // The derived flags take no part.
    ProfileRecord plain = profile("Plain", "P", "Job");
    QCOMPARE(CompatibilityScore(plain, plain), 0);
}

void TestGrouping::chainFollowsTheLastPlacedPerson()
{
    // The worked example: C has the most flags, A fits C, B is what is left.
    const std::vector<ProfileRecord> abc{
        profile("A", {}, {}, Traits{{"Creative", "Serious"}, {"Follower"}, {}}),
        profile("B", {}, {}, Traits{{"Follower"}, {"Creative"}, {"Serious"}}),
        profile("C", {}, {}, Traits{{"Follower", "Diligent"}, {"Serious"}, {"Creative", "Impulsive"}}),
    };
    QCOMPARE(chainOf(abc), QStringList({"C", "A", "B"}));

    // No flags at all: the list order stays; one person is a chain of one.
    const std::vector<ProfileRecord> blank{profile("P"), profile("Q"), profile("R"), profile("S")};
    QCOMPARE(chainOf(blank), QStringList({"P", "Q", "R", "S"}));
    QCOMPARE(compatibilityChain({profile("Solo")}), std::vector<int>{0});
    QVERIFY(compatibilityChain({}).empty());

    // Equal flag counts: the earlier one seeds. Then every candidate scores
    // below 0 against the seed and the least negative one follows, not the first.
    const std::vector<ProfileRecord> hostile{
        profile("Seed", {}, {}, Traits{{"Older", "Expert"}, {"Comic"}, {}}),
        profile("Minus2", {}, {}, Traits{{}, {}, {"Older", "Expert"}}),
        profile("Minus1", {}, {}, Traits{{}, {}, {"Older", "Technical"}}),
        profile("Twin", {}, {}, Traits{{"Younger", "Beginner"}, {}, {"Older"}}),
    };
    QCOMPARE(chainOf(hostile), QStringList({"Seed", "Minus1", "Minus2", "Twin"}));

    // Equal best scores go to the earlier person in the list; and only the
    // person placed last counts: Far fits the seed but not Mid, who comes second.
    const std::vector<ProfileRecord> ties{
        profile("Head", {}, {}, Traits{{"Creative"}, {"Serious", "Comic"}, {}}),
        profile("Mid", {}, {}, Traits{{"Serious"}, {}, {"Technical"}}),
        profile("Far", {}, {}, Traits{{"Comic", "Technical"}, {}, {}}),
        profile("Late", {}, {}, Traits{{"Serious"}, {}, {}}),
    };
    QCOMPARE(chainOf(ties), QStringList({"Head", "Mid", "Late", "Far"}));
}

void TestGrouping::sizingTable_data()
{
    QTest::addColumn<bool>("amount");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("numGroups");
    QTest::addColumn<int>("groupSize");
    QTest::newRow("3 groups of 10") << true << 3 << 10 << 3 << 4;
    QTest::newRow("4 groups of 10") << true << 4 << 10 << 4 << 3;
    QTest::newRow("12 groups of 10") << true << 12 << 10 << 12 << 1;
    QTest::newRow("4 per group of 10") << false << 4 << 10 << 3 << 4;
    QTest::newRow("5 per group of 10") << false << 5 << 10 << 2 << 5;
    QTest::newRow("15 per group of 10") << false << 15 << 10 << 1 << 15;
    QTest::newRow("5 groups of 3") << true << 5 << 3 << 5 << 1;
    QTest::newRow("999 groups of 32767") << true << 999 << 32767 << 999 << 33;
    QTest::newRow("1 per group of 32767") << false << 1 << 32767 << 32767 << 1;
}

void TestGrouping::sizingTable()
{
    QFETCH(bool, amount);
    QFETCH(int, value);
    QFETCH(int, n);
    const GroupSizing sizing = sizeGroups(amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup, value, n);
    QFETCH(int, numGroups);
    QFETCH(int, groupSize);
    QCOMPARE(sizing.NumGroups, numGroups);
    QCOMPARE(sizing.GroupSize, groupSize);
}

void TestGrouping::sizingAgreesWithDoubleArithmetic()
{
    for (int n : {1, 2, 3, 7, 10, 99, 100, 101, 997, 1000, 4000, 32766, 32767}) {
        for (int v = 1; v <= kMaxSizeValue; ++v) {
            for (bool amount : {true, false}) {
                const reference::Sizing expected = reference::SizeGroups(amount, double(v), n);
                const GroupSizing got = sizeGroups(amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup, v, n);
                if (got.NumGroups != expected.NumGroups || got.GroupSize != expected.GroupSize)
                    QFAIL(qPrintable(QStringLiteral("n %1, value %2, amount %3").arg(n).arg(v).arg(amount)));
                QVERIFY(qint64(got.NumGroups) * got.GroupSize >= n);
            }
        }
    }
    // A value below 1 never reaches the sizing through Calculate; if it does, it is 1.
    QCOMPARE(sizeGroups(SizeOption::PeoplePerGroup, 0, 5).NumGroups, 5);
    QCOMPARE(sizeGroups(SizeOption::AmountOfGroups, -3, 5).GroupSize, 5);
}

void TestGrouping::sizeBoxValueAndDefaults()
{
    QCOMPARE(sizeBoxValue(QString()), 0);
    QCOMPARE(sizeBoxValue(QStringLiteral("000")), 0);
    QCOMPARE(sizeBoxValue(QStringLiteral("007")), 7);
    QCOMPARE(sizeBoxValue(QStringLiteral("999")), 999);
    QCOMPARE(sizeBoxValue(QStringLiteral(" 1\t2\n")), 12);
    QCOMPARE(sizeBoxValue(QStringLiteral("12a5")), 12);
    QCOMPARE(sizeBoxValue(QStringLiteral("-5")), 0);
    QCOMPARE(sizeBoxValue(QStringLiteral("2.5")), 2);
    QCOMPARE(sizeBoxValue(QStringLiteral("123456789012345")), kMaxSizeValue);
    QCOMPARE(sizeBoxValue(QString::fromUtf8("\u0663")), 0);  // an Arabic-Indic three is not a digit here

    QCOMPARE(defaultedSizeValue(SizeOption::AmountOfGroups, 0, 7), 1);
    QCOMPARE(defaultedSizeValue(SizeOption::PeoplePerGroup, 0, 7), 7);
    QCOMPARE(defaultedSizeValue(SizeOption::AmountOfGroups, 4, 7), 4);
    QCOMPARE(defaultedSizeValue(SizeOption::PeoplePerGroup, 4, 7), 4);
}

void TestGrouping::dealingWorkedExamples()
{
    // Example 1: P0-P1 +1, P0-P2 -1, P0-P3 0, P1-P2 0, P1-P3 +2, P2-P3 0.
    const std::vector<ProfileRecord> four{
        profile("P0", {}, {}, Traits{{"Creative"}, {}, {}}),
        profile("P1", {}, {}, Traits{{}, {"Creative", "Technical", "Independent"}, {}}),
        profile("P2", {}, {}, Traits{{}, {}, {"Creative"}}),
        profile("P3", {}, {}, Traits{{"Technical", "Independent"}, {}, {}}),
    };
    const int expected[4][4] = {{0, 1, -1, 0}, {1, 0, 0, 2}, {-1, 0, 0, 0}, {0, 2, 0, 0}};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = 0; j < 4; ++j)
            if (i != j)
                QCOMPARE(CompatibilityScore(four[i], four[j]), expected[i][j]);
    const GroupTable one = dealIntoGroups(four, identityChain(4), {2, 2});
    QCOMPARE(layout(one), QStringList({"P0 P1", "P2 P3"}));

    // Example 2: P0-P1 -2, P0-P2 0, P1-P2 0: P1 opens the empty group.
    const std::vector<ProfileRecord> three{
        profile("P0", {}, {}, Traits{{"Creative", "Technical"}, {}, {}}),
        profile("P1", {}, {}, Traits{{}, {}, {"Creative", "Technical"}}),
        profile("P2"),
    };
    QCOMPARE(CompatibilityScore(three[0], three[1]), -2);
    const GroupTable two = dealIntoGroups(three, identityChain(3), {2, 2});
    QCOMPARE(layout(two), QStringList({"P0 P2", "P1 -"}));
    QCOMPARE(two.at(1, 1), ProfileRecord{});

    // Below 0 everywhere and no empty group left: the least negative group
    // gets the person, the lower-numbered one on a tie.
    const std::vector<ProfileRecord> crowded{
        profile("G0", {}, {}, Traits{{"Older", "Expert"}, {}, {}}),
        profile("G1", {}, {}, Traits{{"Older"}, {}, {"Older", "Expert"}}),
        profile("G2", {}, {}, Traits{{"Expert"}, {}, {"Older", "Expert"}}),
        profile("Late", {}, {}, Traits{{}, {}, {"Older", "Expert"}}),
    };
    QCOMPARE(layout(dealIntoGroups(crowded, identityChain(4), {3, 2})), QStringList({"G0 -", "G1 Late", "G2 -"}));
}

void TestGrouping::recordWithoutDataKeepsItsSlotFree()
{
    ProfileRecord ghost = profile("Ghost", {}, {}, Traits{{"Comic"}, {}, {"Creative"}});
    ghost.HasData = kFalse;
    const std::vector<ProfileRecord> people{
        profile("Head", {}, {}, Traits{{"Creative"}, {}, {}}),
        ghost,  // -1 with the head: opens group 2 but does not take its slot
        profile("Fan", {}, {}, Traits{{}, {"Comic"}, {}}),  // +1 there thanks to the ghost: replaces it
        profile("Next", {}, {}, Traits{{}, {}, {}}),
    };
    const GroupTable t = dealIntoGroups(people, identityChain(4), {2, 2});
    QCOMPARE(layout(t), QStringList({"Head Next", "Fan -"}));

    // A ghost left where nobody replaced it is listed as NONE; one whose HasData
    // is some other word does take the slot and gets no line at all.
    ProfileRecord odd = profile("Odd", "One");
    odd.HasData = 5;
    const std::vector<ProfileRecord> tail{profile("A"), profile("B"), odd, ghost};
    const GroupTable last = dealIntoGroups(tail, identityChain(4), {1, 4});
    QCOMPARE(layout(last), QStringList({"A B Odd -"}));
    QCOMPARE(last.at(0, 3), ghost);
    QCOMPARE(groupListing(last), QStringLiteral("Group 1\r\n\r\nA\r\nB\r\nNONE"));

    // The head itself may be such a record: the next person replaces it.
    const std::vector<ProfileRecord> headless{ghost, profile("Real")};
    QCOMPARE(layout(dealIntoGroups(headless, identityChain(2), {1, 2})), QStringList({"Real -"}));
}

void TestGrouping::smallAndLopsidedRequests()
{
    const std::vector<ProfileRecord> solo{profile("Solo", {}, {}, Traits{{"Creative"}, {"Comic"}, {}})};
    const GroupTable alone = buildGroups(solo, SizeOption::AmountOfGroups, 5);
    QCOMPARE(layout(alone), QStringList({"Solo", "-", "-", "-", "-"}));

    // No flags at all: the groups fill one after another in list order.
    std::vector<ProfileRecord> plain;
    for (const char *name : {"A", "B", "C", "D", "E", "F", "G"})
        plain.push_back(profile(name));
    QCOMPARE(layout(buildGroups(plain, SizeOption::PeoplePerGroup, 3)), QStringList({"A B C", "D E F", "G - -"}));
    QCOMPARE(layout(buildGroups(plain, SizeOption::AmountOfGroups, 9)),
             QStringList({"A", "B", "C", "D", "E", "F", "G", "-", "-"}));
    QCOMPARE(layout(buildGroups(plain, SizeOption::PeoplePerGroup, 10)), QStringList({"A B C D E F G - - -"}));

    // Nobody selected: the table has its size and nothing in it.
    const GroupTable none = buildGroups({}, SizeOption::AmountOfGroups, 2);
    QCOMPARE(none.NumGroups, 2);
    QCOMPARE(none.GroupSize, 0);
    QCOMPARE(groupListing(none), QStringLiteral("Group 1\r\n\r\n\r\n\r\nGroup 2\r\n"));
}

void TestGrouping::slotTextFollowsTheFlags()
{
    QCOMPARE(line(profile("Smith", "Anna", "Manager")), QStringLiteral("Smith, Anna (Manager)"));
    QCOMPARE(line(profile("Brown")), QStringLiteral("Brown"));
    QCOMPARE(line(profile({}, "Carl")), QStringLiteral("Carl"));
    QCOMPARE(line(profile({}, {}, "Driver")), QStringLiteral(" (Driver)"));
    QCOMPARE(line(profile("  van Dijk  ", "Mary Ann", " Head Cook")),
             QStringLiteral("van Dijk, Mary Ann (Head Cook)"));
    QCOMPARE(line(profile("Abcdefghijkl", "Mnopqrstuvwxyz")), QStringLiteral("Abcdefghijkl, Mnopqrstuvwx"));
    QCOMPARE(line(profile(QString::fromUtf8("Müller"), QString::fromUtf8("Zoë"))),
             QString::fromUtf8("Müller, Zoë"));

    // The flags decide, not the texts.
    ProfileRecord runTogether = profile("Lee", "Carl", "Cook");
    runTogether.HasBothNames = kFalse;
    runTogether.HasPosition = 1;  // not True: no position shown
    QCOMPARE(line(runTogether), QStringLiteral("LeeCarl"));
    ProfileRecord emptyPosition = profile("Lee");
    emptyPosition.HasPosition = kTrue;
    QCOMPARE(line(emptyPosition), QStringLiteral("Lee ()"));

    QCOMPARE(line(ProfileRecord{}), QStringLiteral("NONE"));
    ProfileRecord named = profile("Named", "But", "Empty");
    named.HasData = kFalse;
    QCOMPARE(line(named), QStringLiteral("NONE"));
    for (std::int16_t word : {std::int16_t(1), std::int16_t(-2), std::int16_t(0x7FFF), std::int16_t(-0x8000)}) {
        named.HasData = word;
        QCOMPARE(line(named), QStringLiteral("<no line>"));
    }
}

void TestGrouping::listingAndDocumentExample()
{
    const GroupTable t = table(2, 3,
                               {profile("Smith", "Anna", "Manager"), profile("Brown"), profile("Lee", "Carl"),
                                profile("Diaz", "Eva", "Clerk"), profile({}, {}, "Driver"), ProfileRecord{}});
    QCOMPARE(groupListing(t), QStringLiteral("Group 1\r\n\r\nSmith, Anna (Manager)\r\nBrown\r\nLee, Carl\r\n\r\n\r\n"
                                             "Group 2\r\n\r\nDiaz, Eva (Clerk)\r\n (Driver)\r\nNONE"));
    const QStringList expected{"Quorvia", "", "", "Groups", "", "", "Group 1", "", "Smith, Anna (Manager)", "Brown",
                               "Lee, Carl", "", "", "Group 2", "", "Diaz, Eva (Clerk)", " (Driver)", "NONE"};
    QCOMPARE(groupsDocument(t), expected);
    QCOMPARE(groupsDocumentBytes(t), (expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());

    // The export is Windows-1252, one byte per character.
    const GroupTable accents = table(1, 1, {profile(QString::fromUtf8("Müller"), QString::fromUtf8("Zoë"), "Chef")});
    QCOMPARE(groupsDocumentBytes(accents), QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n\r\n\r\nGroup 1\r\n\r\n"
                                                      "M\xFCller, Zo\xEB (Chef)\r\n"));
}

void TestGrouping::emptyGroupsAndDocumentBeforeCalculate()
{
    QCOMPARE(groupsDocument(GroupTable{}), QStringList({"Quorvia", "", "", "Groups"}));
    QCOMPARE(groupsDocumentBytes(GroupTable{}), QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n"));
    QCOMPARE(groupListing(GroupTable{}), QString());

    // One group: no separator anywhere. A memberless group: its NONE lines.
    QCOMPARE(groupListing(table(1, 2, {profile("Solo")})), QStringLiteral("Group 1\r\n\r\nSolo\r\nNONE"));
    const QString listing = groupListing(table(10, 2, {profile("Solo")}));
    QVERIFY(listing.startsWith(QStringLiteral("Group 1\r\n\r\nSolo\r\nNONE\r\n\r\n\r\nGroup 2\r\n\r\nNONE\r\nNONE")));
    QVERIFY(listing.endsWith(QStringLiteral("\r\n\r\n\r\nGroup 10\r\n\r\nNONE\r\nNONE")));
}

void TestGrouping::randomPoolsMatchTheReference()
{
    PoolGenerator gen(20240613u);
    int cases = 0;
    int bigGroups = 0;
    for (int round = 0; round < 3000; ++round) {
        const int band = gen.between(0, 99);
        const int n = band < 65 ? gen.between(1, 20) : band < 96 ? gen.between(21, 100) : gen.between(101, 250);
        PoolShape shape;
        shape.style = TraitStyle(gen.between(0, testing::kTraitStyles - 1));
        shape.noData = gen.chance(0.3) ? 0.15 : 0.0;
        shape.oddHasData = gen.chance(0.2) ? 0.1 : 0.0;
        const std::vector<ProfileRecord> people = gen.pool(n, shape);

        const bool amount = gen.chance(0.5);
        const int pick = gen.between(0, 9);
        const int value = pick < 5 ? gen.between(1, 12)
            : pick < 8             ? gen.between(1, std::max(1, n + 2))
                                   : gen.between(1, kMaxSizeValue);

        const GroupTable expected = reference::BuildGroups(people, amount, value);
        const GroupTable got = buildGroups(people, amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup, value);
        const QString what = QStringLiteral("round %1: n %2, style %3, %4 %5")
                                 .arg(round).arg(n).arg(int(shape.style))
                                 .arg(QLatin1String(amount ? "amount" : "per group")).arg(value);
        if (got.NumGroups != expected.NumGroups || got.GroupSize != expected.GroupSize || got.slotRecords != expected.slotRecords) {
            QFAIL(qPrintable(what + QStringLiteral("\nexpected %1\ngot      %2").arg(describe(expected), describe(got))));
        }
        if (got.GroupSize > 1)
            ++bigGroups;

        // Every way of searching the chain that this processor offers, and the
        // dealing with wide counters, give the same.
        if (round % 4 == 0) {
            const std::vector<int> chain = compatibilityChain(people);
            for (detail::ChainMethod method : availableChainMethods())
                QVERIFY2(detail::compatibilityChain(people, method) == chain, qPrintable(what));
            const GroupTable wide = detail::dealIntoGroupsWide(people, chain, {got.NumGroups, got.GroupSize});
            QVERIFY2(wide.slotRecords == got.slotRecords, qPrintable(what));
        }
        ++cases;
    }
    QVERIFY(bigGroups > cases / 2);
    qInfo("%d random pools agree with the reference", cases);
}

QTEST_APPLESS_MAIN(TestGrouping)
#include "tst_grouping.moc"
