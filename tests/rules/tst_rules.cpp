// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesFixtures.h"

#include "grouping/RecordNumbers.h"
#include "rules/RulesCheck.h"
#include "rules/RulesFile.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestRules : public QObject {
    Q_OBJECT

    // Ann, Bo, Cy, Di, Ed, Flo: Ann and Bo experts, Cy a beginner.
    std::vector<ProfileRecord> pool = {
        withTraits(person("Ann", "Lee", "Sales"), {kExpert}), withTraits(person("Bo", "Chen", " sales"), {kExpert}),
        withTraits(person("Cy", "Dee", "Support"), {kBeginner}), person("Di", "Eng", "Support"),
        person("Ed", "Fox"), person("Flo", "Gray")};

    static GroupRule rule(RuleKind kind, std::vector<int> records, int trait = -1)
    {
        GroupRule r;
        r.kind = kind;
        r.records = std::move(records);
        r.trait = trait;
        return r;
    }

private slots:
    void fileRoundTrip()
    {
        // Names that would break a comment: a comma, a backslash, a line break.
        std::vector<ProfileRecord> odd = pool;
        setFieldText(odd[0].FirstName, "A,n\\n");
        setFieldText(odd[1].LastName, "Ch\nen#");
        RuleSet set;
        set.rules.push_back(peopleRule(RuleKind::KeepApart, {1, 2, 6}, odd));
        set.rules.push_back(peopleRule(RuleKind::KeepTogether, {4, 3}, odd));
        set.rules.back().enabled = false;
        set.rules.push_back(rule(RuleKind::Spread, {}, kExpert));
        set.rules.push_back(rule(RuleKind::NotAlone, {}, kBeginner));
        set.rules.push_back(rule(RuleKind::MixPositions, {}));
        set.liftWeakest = true;
        const QString text = rulesText(set, odd);
        QCOMPARE(text.count(QLatin1Char('\n')), 8);  // two heading lines, one a rule, lift-weakest
        const RulesText back = parseRules(text);
        QCOMPARE(back.errorLine, 0);
        QVERIFY(back.rules == set);
        QCOMPARE(back.lines, (std::vector<int>{3, 4, 5, 6, 7}));
        QVERIFY(staleReason(back.rules.rules[0], odd).isEmpty());

        // As a person writes it: any case, blanks, CRLF, comments that are not names.
        const RulesText typed = parseRules("  APART 2 1 # the quarrel\r\n\n# a note\nspread expert\n\tOff not-alone BEGINNER\n");
        QCOMPARE(typed.errorLine, 0);
        QCOMPARE(typed.rules.rules.size(), std::size_t(3));
        QCOMPARE(typed.rules.rules[0].records, (std::vector<int>{2, 1}));
        QVERIFY(typed.rules.rules[0].names.isEmpty());  // one comment for two records: not their names
        QCOMPARE(typed.rules.rules[1].trait, kExpert);
        QVERIFY(!typed.rules.rules[2].enabled);
        QVERIFY(!typed.rules.liftWeakest);
    }

    void damagedLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown word") << "spread Expert\n\nsprad Expert\n" << 3 << "unknown word \"sprad\"";
        QTest::newRow("unknown trait") << "spread Wizard" << 1 << "Wizard";
        QTest::newRow("two traits") << "not-alone Expert Beginner" << 1 << "one trait";
        QTest::newRow("one person") << "# x\napart 3" << 2 << "at least two";
        QTest::newRow("record 0") << "together 0 2" << 1 << "\"0\"";
        QTest::newRow("signed") << "together +2 3" << 1 << "\"+2\"";
        QTest::newRow("twice") << "apart 2 5 2" << 1 << "record 2 is named twice";
        QTest::newRow("extra word") << "mix-positions now" << 1 << "now";
        QTest::newRow("off alone") << "off" << 1 << "off";
    }
    void damagedLine()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QString, says);
        const RulesText parsed = parseRules(text);
        QCOMPARE(parsed.errorLine, line);
        QVERIFY2(parsed.error.contains(says), qPrintable(parsed.error));
        QVERIFY(parsed.rules.isEmpty());
    }

    void rulesFileOnDisk()
    {
        QTemporaryDir dir;
        const QString path = rulesPathFor(dir.filePath("General.Qvr"));
        QCOMPARE(path, dir.filePath("General.Qvr.rules"));
        RulesText parsed;
        QString message;
        QCOMPARE(loadRulesFile(path, &parsed, &message), RulesLoad::Missing);

        RuleSet set;
        set.rules.push_back(peopleRule(RuleKind::KeepApart, {1, 2}, pool));
        QVERIFY(saveRulesFile(path, set, pool, &message));
        QCOMPARE(loadRulesFile(path, &parsed, &message), RulesLoad::Loaded);
        QVERIFY(parsed.rules == set);
        QVERIFY(readFile(path).contains("apart 1 2  # Ann Lee, Bo Chen"));

        QVERIFY(writeFile(path, "apart 1 2\nkeep 3 4\n"));
        QCOMPARE(loadRulesFile(path, &parsed, &message), RulesLoad::Damaged);
        QVERIFY2(message.contains("line 2") && message.contains("keep"), qPrintable(message));
        QVERIFY(parsed.rules.isEmpty());

        QVERIFY(QDir(dir.path()).mkdir("folder.rules"));
        QCOMPARE(loadRulesFile(dir.filePath("folder.rules"), &parsed, &message), RulesLoad::Unreadable);
        QVERIFY(!saveRulesFile(dir.filePath("folder.rules"), set, pool, &message));
    }

    // Deleting a record takes the person out of every rule and moves the later ones down.
    void deletingPerson()
    {
        RuleSet set;
        set.rules.push_back(peopleRule(RuleKind::KeepApart, {1, 3, 5}, pool));
        set.rules.push_back(peopleRule(RuleKind::KeepTogether, {3, 4}, pool));
        set.rules.push_back(peopleRule(RuleKind::KeepApart, {6, 4}, pool));
        set.rules.push_back(rule(RuleKind::Spread, {}, kExpert));
        QCOMPARE(removeRecordFromRules(&set, 3), 2);
        std::vector<ProfileRecord> after = pool;
        after.erase(after.begin() + 2);
        QCOMPARE(set.rules.size(), std::size_t(3));  // "together 3 4" lost its second person
        QCOMPARE(set.rules[0].records, (std::vector<int>{1, 4}));
        QCOMPARE(set.rules[1].records, (std::vector<int>{5, 3}));
        QCOMPARE(set.rules[2].kind, RuleKind::Spread);
        for (const GroupRule &r : set.rules)
            QVERIFY2(staleReason(r, after).isEmpty(), qPrintable(staleReason(r, after)));
        // The old numbers against the new pool would name other people.
        QVERIFY(staleReason(peopleRule(RuleKind::KeepApart, {1, 5}, pool), after).contains("no longer holds Ed Fox"));
    }

    void checking_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<std::vector<int>>("records");
        QTest::addColumn<int>("trait");
        QTest::addColumn<std::vector<int>>("table");  // groups of 3
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail");  // empty: met
        const std::vector<int> mixed{1, 3, 5, 2, 4, 6};
        const std::vector<int> sorted{1, 2, 3, 4, 5, 6};
        QTest::newRow("apart met") << int(RuleKind::KeepApart) << std::vector<int>{1, 2} << -1 << mixed
                                   << "Keep Ann Lee and Bo Chen apart" << "";
        QTest::newRow("apart broken") << int(RuleKind::KeepApart) << std::vector<int>{1, 2} << -1 << sorted
                                      << "Keep Ann Lee and Bo Chen apart" << "Ann Lee and Bo Chen are both in group 1";
        QTest::newRow("together broken") << int(RuleKind::KeepTogether) << std::vector<int>{1, 2, 4} << -1 << sorted
                                         << "Keep Ann Lee, Bo Chen and Di Eng together"
                                         << "Ann Lee and Bo Chen in group 1; Di Eng in group 2";
        QTest::newRow("spread met") << int(RuleKind::Spread) << std::vector<int>{} << kExpert << mixed
                                    << "Spread Expert: 1 in every group" << "";
        QTest::newRow("spread broken") << int(RuleKind::Spread) << std::vector<int>{} << kExpert << sorted
                                       << "Spread Expert: 1 in every group" << "group 1 has 2, group 2 has 0";
        QTest::newRow("not alone") << int(RuleKind::NotAlone) << std::vector<int>{} << kBeginner << sorted
                                   << "Never one Beginner alone in a group" << "alone in group 1";
        // "Sales" and " sales" are one position.
        QTest::newRow("positions broken") << int(RuleKind::MixPositions) << std::vector<int>{} << -1 << sorted
                                          << "Mix positions over the groups" << "Sales: group 1 has 2, group 2 has 0";
        QTest::newRow("positions met") << int(RuleKind::MixPositions) << std::vector<int>{} << -1
                                       << std::vector<int>{1, 3, 5, 2, 4, 6} << "Mix positions over the groups" << "";
    }
    void checking()
    {
        QFETCH(int, kind);
        QFETCH(std::vector<int>, records);
        QFETCH(int, trait);
        QFETCH(std::vector<int>, table);
        QFETCH(QString, text);
        QFETCH(QString, detail);
        RuleSet set;
        set.rules.push_back(records.empty() ? rule(RuleKind(kind), {}, trait)
                                            : peopleRule(RuleKind(kind), records, pool));
        set.rules.push_back(rule(RuleKind::Spread, {}, kExpert));
        set.rules.back().enabled = false;  // not in force: not checked
        const GroupTable groups = tableOf(pool, 3, table);
        const auto statuses = checkRules(set, groups, pool, recordNumbersOf(groups, pool, allNumbers(pool)));
        QCOMPARE(statuses.size(), std::size_t(1));
        QCOMPARE(statuses[0].text, text);
        QCOMPARE(statuses[0].detail, detail);
        QCOMPARE(statuses[0].met, detail.isEmpty());
        QCOMPARE(rulesSummary(statuses), detail.isEmpty() ? "rules: 1 of 1 met" : "rules: 0 of 1 met");
    }

    // A rule whose record now holds someone else is broken, never applied to them.
    void staleRule()
    {
        RuleSet set;
        set.rules.push_back(peopleRule(RuleKind::KeepApart, {1, 2}, pool));
        std::vector<ProfileRecord> changed = pool;
        changed[1] = person("Zed", "Zo");
        const GroupTable groups = tableOf(changed, 3, {1, 3, 5, 2, 4, 6});
        const auto statuses = checkRules(set, groups, changed, recordNumbersOf(groups, changed, allNumbers(changed)));
        QCOMPARE(statuses[0].text, "Keep Ann Lee and Bo Chen apart");
        QVERIFY(!statuses[0].met);
        QCOMPARE(statuses[0].detail, "record 2 no longer holds Bo Chen");
        QVERIFY(infeasibleRules(set, groups, changed, {}, {}).empty());
    }

    void feasibility_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<std::vector<int>>("pinned");  // slots
        QTest::addColumn<QString>("reason");           // empty: can be met
        QTest::newRow("sound") << "apart 1 2\ntogether 3 4\nspread Expert\nnot-alone Expert" << std::vector<int>{} << "";
        QTest::newRow("three apart in two groups") << "apart 1 2 5" << std::vector<int>{}
                                                   << "3 people cannot be kept apart in 2 groups";
        QTest::newRow("together larger than a group") << "together 1 2 3 4" << std::vector<int>{}
                                                      << "4 people cannot be together in groups of 3";
        QTest::newRow("together chained") << "together 1 2\ntogether 2 3\ntogether 5 3" << std::vector<int>{}
                                          << "4 people cannot be together in groups of 3";
        QTest::newRow("apart and together") << "together 1 2\napart 2 1" << std::vector<int>{}
                                            << "Ann Lee and Bo Chen are also to be kept together";
        QTest::newRow("apart pinned together") << "apart 1 3" << std::vector<int>{0, 2}
                                               << "Ann Lee and Cy Dee are both pinned to group 1";
        QTest::newRow("together pinned apart") << "together 1 4" << std::vector<int>{0, 3}
                                               << "they are pinned to groups 1 and 2";
        QTest::newRow("apart pinned elsewhere") << "apart 1 4" << std::vector<int>{0, 3} << "";
        QTest::newRow("one beginner") << "not-alone Beginner" << std::vector<int>{} << "only one person in the groups is Beginner";
        QTest::newRow("spread pinned") << "spread Expert" << std::vector<int>{0, 1}
                                       << "group 1 has 2 people pinned, more than 1";
        QTest::newRow("spread kept together") << "together 1 2\nspread Expert" << std::vector<int>{}
                                              << "Ann Lee and Bo Chen are to be kept together: 2 people in one group, more than 1";
        QTest::newRow("off") << "off apart 1 2 5" << std::vector<int>{} << "";
    }
    void feasibility()
    {
        QFETCH(QString, rules);
        QFETCH(std::vector<int>, pinned);
        QFETCH(QString, reason);
        const RulesText parsed = parseRules(rules);
        QCOMPARE(parsed.errorLine, 0);
        const GroupTable groups = tableOf(pool, 3, {1, 2, 3, 4, 5, 6});
        std::vector<bool> locked(6, false);
        for (const int slot : pinned)
            locked[std::size_t(slot)] = true;
        const auto problems = infeasibleRules(parsed.rules, groups, pool,
                                              recordNumbersOf(groups, pool, allNumbers(pool)), locked);
        QCOMPARE(problems.empty() ? QString() : problems.back().reason, reason);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
