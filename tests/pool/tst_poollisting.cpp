// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolListing.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestPoolListing : public QObject {
    Q_OBJECT

private slots:
    void itemTextFollowsTheSeparatorFlagAndThePositionText()
    {
        ProfileRecord runTogether = person("Ann", "Lee");
        runTogether.HasBothNames = 1;  // only -1 counts as set
        ProfileRecord blankPosition = person("Ann", "Lee");
        setFieldText(blankPosition.Position, QStringLiteral("    "));
        blankPosition.HasPosition = kTrue;
        ProfileRecord positionWithoutFlag = person("Ann", "Lee");
        setFieldText(positionWithoutFlag.Position, QStringLiteral("Clerk"));
        const std::pair<ProfileRecord, QString> cases[] = {
            {person("Ann", "Lee", "Clerk"), "Lee, Ann (Clerk)"}, {person("Ann", ""), "Ann"},
            {person("", "Lee", "Clerk"), "Lee (Clerk)"},          {ProfileRecord(), ""},
            {runTogether, "LeeAnn"},                              {blankPosition, "Lee, Ann"},
            {positionWithoutFlag, "Lee, Ann (Clerk)"},
        };
        for (const auto &[record, text] : cases)
            QCOMPARE(itemText(record), text);
    }

    void orderIsAlphabeticalCaseInsensitiveAndStable()
    {
        const std::vector<ProfileRecord> records = {
            person("", "Zed"), person("", "Adams"), person("", "baker"), person("", "Baker"),
            person("", "Émile"), person("", "Egan"), person("", "Fox"), ProfileRecord(), person("", "Adams"),
        };
        for (const QLocale &locale : {QLocale(QLocale::English), QLocale::c()}) {
            QStringList texts;
            QList<int> numbers;
            for (const PoolListItem &item : sortedPoolList(records, locale)) {
                texts << item.text;
                numbers << item.recordNumber;
            }
            QCOMPARE(texts, QStringList({"", "Adams", "Adams", "baker", "Baker", "Egan", "Émile", "Fox", "Zed"}));
            QCOMPARE(numbers, QList<int>({8, 2, 9, 3, 4, 6, 5, 7, 1}));
        }
    }
};

QTEST_GUILESS_MAIN(TestPoolListing)
#include "tst_poollisting.moc"
