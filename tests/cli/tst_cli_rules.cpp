// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PoolGenerator.h"
#include "rules/RulesFixtures.h"
#include "support/CliRun.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Args = QStringList;

// quorvia-cli groups with rules (--rules, the pool's own) and with earlier
// groupings kept apart (--improve --avoid).
class TestCliRules : public QObject {
    Q_OBJECT

    CliFolder dir;

    std::tuple<int, QString, QString> cli(const QStringList &args)
    {
        auto [status, out, err] = dir.run(Args{"groups"} + args);
        return {status, QString::fromUtf8(out), err};
    }

private slots:
    void initTestCase()
    {
        // No traits but Expert: Calculate deals them in list order (by last name).
        QVERIFY(writePool(dir.path("team.Qvr"),
                          {withTraits(person("Ann", "Adams"), {kExpert}), withTraits(person("Bo", "Brown"), {kExpert}),
                           person("Cy", "Clark"), person("Di", "Dunn")}));
        QVERIFY(writeFile(dir.path("spread.txt"), "spread expert  # one per group\napart 1 3\n"));
        QVERIFY(writePool(dir.path("class.Qvr"), PoolGenerator(5).pool(16, {})));
        QVERIFY(writePool(dir.path("other.Qvr"), {person("No", "Body")}));
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "4", "--csv", "-o", "week1.csv"})), 0);
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "4", "-o", "week1.txt"})), 0);
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "2", "--select", "1,2", "--csv", "-o", "two.csv"})), 0);
        QCOMPARE(std::get<0>(cli({"other.Qvr", "--csv", "-o", "stranger.csv"})), 0);
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
        QVERIFY(writeFile(dir.path("team.Qvr.rules"), "together 1 2\n"));
        auto [status, out, err] = cli({"team.Qvr", "--per-group", "2", "--report"});
        QCOMPARE(status, 0);
        QVERIFY2(out.contains("rule\tKeep Ann Adams and Bo Brown together\tmet\n"), qPrintable(out));
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2", "--report", "--no-rules"});
        QVERIFY(!out.contains("rule\t"));
        QVERIFY(writeFile(dir.path("team.Qvr.rules"), "togther 1 2\n"));
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2"});
        QCOMPARE(status, 0);
        std::tie(status, out, err) = cli({"team.Qvr", "--per-group", "2", "--report"});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains("line 1: unknown word \"togther\""), qPrintable(err));
        QVERIFY(QFile::remove(dir.path("team.Qvr.rules")));
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
        QVERIFY(writeFile(dir.path("bad.txt"), rules.toUtf8()));
        QFile::remove(dir.path("out.txt"));
        const auto [code, out, err] = cli(Args{"team.Qvr", "--per-group", "2", "--rules", "bad.txt", "-o", "out.txt"} + more);
        QCOMPARE(code, status);
        QVERIFY2(err.contains(says), qPrintable(err));
        QVERIFY(!QFile::exists(dir.path("out.txt")));
    }

    // Saved CSV and exported document alike: the report gains the repeats
    // line just before the total, which stays last; the same groups again
    // would repeat every one of their 24 pairs.
    void avoid_data()
    {
        QTest::addColumn<QString>("files");
        QTest::newRow("csv") << "week1.csv";
        QTest::newRow("document") << "week1.txt";
        QTest::newRow("both") << "week1.csv,week1.txt";
    }
    void avoid()
    {
        QFETCH(QString, files);
        const auto [status, out, err] = cli({"class.Qvr", "--per-group", "4", "--improve", "--avoid", files, "--report"});
        QCOMPARE(status, 0);
        const QStringList lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.last().startsWith("total\t16\t"));
        QVERIFY2(lines.at(4).startsWith("repeats\t"), qPrintable(out));
        QVERIFY(lines.at(4).mid(8).toInt() < 24);
        // Without --avoid the report is as it was.
        QCOMPARE(std::get<1>(cli({"class.Qvr", "--per-group", "4", "--improve", "--report"})).count('\n'), 5);
    }

    void faults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("no improve") << QStringList{"class.Qvr", "--avoid", "week1.csv"} << 2 << "--avoid needs --improve";
        QTest::newRow("missing") << QStringList{"class.Qvr", "--improve", "--avoid", "gone.csv"} << 1 << "gone.csv";
        QTest::newRow("empty name") << QStringList{"class.Qvr", "--improve", "--avoid", "week1.csv,"} << 2
                                    << "file names separated by commas";
        QTest::newRow("stranger") << QStringList{"class.Qvr", "--improve", "--avoid", "stranger.csv"} << 1
                                  << "stranger.csv: Line 2: no one in the pool is \"Body, No\"";
        QTest::newRow("outside the selection") << QStringList{"class.Qvr", "--select", "3,4,5", "--improve", "--avoid", "two.csv"}
                                               << 1 << "two.csv: none of its people take part";
    }
    void faults()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const auto [code, out, err] = cli(args);
        QCOMPARE(code, status);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliRules)
#include "tst_cli_rules.moc"
