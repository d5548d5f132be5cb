// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesFixtures.h"
#include "support/CliRun.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Args = QStringList;

class TestCliRules : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    std::tuple<int, QString, QString> cli(const QStringList &args)
    {
        auto [status, out, err] = runCli(dir.path(), QStringList{"groups"} + args);
        return {status, QString::fromUtf8(out), err};
    }

private slots:
    void initTestCase()
    {
        // No traits but Expert: Calculate deals them in list order (by last name).
        QVERIFY(writePool(dir.filePath("team.Qvr"),
                          {withTraits(person("Ann", "Adams"), {kExpert}), withTraits(person("Bo", "Brown"), {kExpert}),
                           person("Cy", "Clark"), person("Di", "Dunn")}));
        QVERIFY(writeFile(dir.filePath("spread.txt"), "spread expert  # one per group\napart 1 3\n"));
    }

    void reportLines()
    {
        const auto [status, out, err] = cli({"team.Qvr", "--per-group", "2", "--report", "--rules", "spread.txt"});
        QCOMPARE(status, 0);
        const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[2], "rule\tSpread Expert: 1 in every group\tbroken\tgroup 1 has 2, group 2 has 0");
        QCOMPARE(lines[3], "rule\tKeep Ann Adams and Cy Clark apart\tmet");
        QVERIFY(lines[4].startsWith("total\t"));

        // Improve mends them.
        const auto [improved, report, problems] =
            cli({"team.Qvr", "--per-group", "2", "--report", "--improve", "--rules", "spread.txt"});
        QCOMPARE(improved, 0);
        QCOMPARE(report.count("\tmet\n"), 2);
    }

    // The pool's own rules count unless --no-rules; plain groups never read them.
    void poolsOwnRules()
    {
        QVERIFY(writeFile(dir.filePath("team.Qvr.rules"), "together 1 2\n"));
        auto [status, out, err] = cli({"team.Qvr", "--per-group", "2", "--report"});
        QCOMPARE(status, 0);
        QVERIFY2(out.contains("rule\tKeep Ann Adams and Bo Brown together\tmet\n"), qPrintable(out));
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2", "--report", "--no-rules"});
        QVERIFY(!out.contains("rule\t"));
        QVERIFY(writeFile(dir.filePath("team.Qvr.rules"), "togther 1 2\n"));
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2"});
        QCOMPARE(status, 0);
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2", "--report"});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains("line 1: unknown word \"togther\""), qPrintable(err));
        QVERIFY(QFile::remove(dir.filePath("team.Qvr.rules")));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<Args>("more");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("damaged") << "spread Expert\nsplit 1 2\n" << Args{} << 1 << "line 2: unknown word \"split\"";
        QTest::newRow("outside the pool") << "apart 1 5\n" << Args{} << 1 << "line 1: record 5 is outside the pool (4 records)";
        QTest::newRow("not selected") << "\napart 1 3\n" << Args{"--select", "1,2,4"} << 1
                                      << "line 2: record 3 is not among the people selected";
        QTest::newRow("never met") << "apart 1 2 3\n" << Args{} << 1
                                   << "line 1: \"Keep Ann Adams, Bo Brown and Cy Clark apart\" can never be met: "
                                      "3 people cannot be kept apart in 2 groups";
        QTest::newRow("pinned apart") << "apart 1 2\n" << Args{"--improve", "--keep", "1,2"} << 1
                                      << "both pinned to group 1";
        QTest::newRow("stale") << "apart 1 2 # Ann Adams, Zed Zo\n" << Args{} << 1 << "record 2 no longer holds Zed Zo";
        QTest::newRow("both switches") << "apart 1 2\n" << Args{"--no-rules"} << 2 << "not both";
    }
    void refused()
    {
        QFETCH(QString, rules);
        QFETCH(Args, more);
        QFETCH(int, status);
        QFETCH(QString, says);
        QVERIFY(writeFile(dir.filePath("bad.txt"), rules.toUtf8()));
        QFile::remove(dir.filePath("out.txt"));
        const auto [code, out, err] = cli(Args{"team.Qvr", "--per-group", "2", "--rules", "bad.txt", "-o", "out.txt"} + more);
        QCOMPARE(code, status);
        QVERIFY2(err.contains(says), qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath("out.txt")));
    }
};

QTEST_GUILESS_MAIN(TestCliRules)
#include "tst_cli_rules.moc"
