#include "pool/PoolListing.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestPoolListing : public QObject {
    Q_OBJECT

private slots:
    void itemTextFollowsFlagsAndPosition()
    {
        QCOMPARE(itemText(person("Ann", "Lee", "Clerk")), QStringLiteral("Lee, Ann (Clerk)"));
        QCOMPARE(itemText(person("Ann", "")), QStringLiteral("Ann"));
        QCOMPARE(itemText(person("", "Lee", "Clerk")), QStringLiteral("Lee (Clerk)"));
        QCOMPARE(itemText(ProfileRecord()), QString());

        // The separator follows the stored flag, the position its stored text.
        ProfileRecord runTogether = person("Ann", "Lee");
        runTogether.HasBothNames = kFalse;
        QCOMPARE(itemText(runTogether), QStringLiteral("LeeAnn"));
        ProfileRecord blankPosition = person("Ann", "Lee");
        setFieldText(blankPosition.Position, QStringLiteral("    "));
        blankPosition.HasPosition = kTrue;
        QCOMPARE(itemText(blankPosition), QStringLiteral("Lee, Ann"));
        ProfileRecord positionWithoutFlag = person("Ann", "Lee");
        setFieldText(positionWithoutFlag.Position, QStringLiteral("Clerk"));
        QCOMPARE(itemText(positionWithoutFlag), QStringLiteral("Lee, Ann (Clerk)"));
        // A flag word other than -1 does not count as set.
        ProfileRecord oddFlag = person("Ann", "Lee");
        oddFlag.HasBothNames = 1;
        QCOMPARE(itemText(oddFlag), QStringLiteral("LeeAnn"));
    }

    void orderIsAlphabeticalCaseInsensitiveAndStable()
    {
        const std::vector<ProfileRecord> records = {
            person("", "Zed"), person("", "Adams"), person("", "baker"), person("", "Baker"),
            person("", "Émile"), person("", "Egan"), person("", "Fox"), ProfileRecord(), person("", "Adams"),
        };
        const std::vector<PoolListItem> items = sortedPoolList(records, QLocale(QLocale::English));
        QStringList texts;
        QList<int> numbers;
        for (const PoolListItem &item : items) {
            texts << item.text;
            numbers << item.recordNumber;
        }
        QCOMPARE(texts, QStringList({"", "Adams", "Adams", "baker", "Baker", "Egan", "Émile", "Fox", "Zed"}));
        QCOMPARE(numbers, QList<int>({8, 2, 9, 3, 4, 6, 5, 7, 1}));
    }

    void cLocaleStillSortsAsAPersonExpects()
    {
        const std::vector<PoolListItem> items =
            sortedPoolList({person("", "zed"), person("", "Adams"), person("", "émile")}, QLocale::c());
        QCOMPARE(items[0].text, QStringLiteral("Adams"));
        QCOMPARE(items[1].text, QStringLiteral("émile"));
        QCOMPARE(items[2].text, QStringLiteral("zed"));
    }
};

QTEST_GUILESS_MAIN(TestPoolListing)
#include "tst_poollisting.moc"
