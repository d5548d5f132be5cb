// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PoolGenerator.h"
#include "grouping/ReferenceGroupBuilder.h"
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Args = QStringList;

// What scripts rely on: stable listings and reports, nothing raw reaching the
// terminal, no option silently dropped, and an output that does not arrive is
// a failure that changes nothing.
class TestCliGroups : public QObject {
    Q_OBJECT

    CliFolder dir;
    CliResult cli(const QStringList &args, const QString &output = {}) { return dir.run(Args{"groups"} + args, output); }

private slots:
    void initTestCase()
    {
        // No traits, so the list order decides.
        QVERIFY(writePool(dir.path("team.Qvr"), {person("", "Zed"), person("", "Adams", "Clerk"),
                                                     person("", "Miller"), person("", "Brown")}));
        QVERIFY(writePool(dir.path("empty.Qvr"), {}));
        QVERIFY(writePool(dir.path("accents.Qvr"), {person("Zoë", "Müller", "Chef")}));
        QVERIFY(writePool(dir.path("four.Qvr"), {person("Ann", "Lee", "Clerk"), person("Bob", "Ray"),
                                                 person("Cy", "Oz"), person("Di", "Fe")}));
        QVERIFY(writeFile(dir.path("noted.csv"), "Last name,Email\nKay,k@q\n"));  // one note, one person
    }

    void groups_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");  // the groups after the heading, or what the message names
        const QString all = "\n\nGroup 1\n\nAdams (Clerk)\nBrown\nMiller\nZed\n";
        const QStringList team{"Adams (Clerk)", "Brown", "Miller", "Zed"};
        QString many;
        for (int g = 1; g <= 999; ++g)  // one each, then empty groups
            many += QStringLiteral("\n\nGroup %1\n\n%2\n").arg(g).arg(g <= 4 ? team[g - 1] : "NONE");
        QTest::newRow("per group 2") << Args{"team.Qvr", "--per-group", "2"} << 0
                                     << "\n\nGroup 1\n\nAdams (Clerk)\nBrown\n\n\nGroup 2\n\nMiller\nZed\n";
        // Whatever the order of the numbers; one given twice is one tick.
        QTest::newRow("select") << Args{"--select", "4,1,2,4", "team.Qvr", "--amount", "2"} << 0
                                << "\n\nGroup 1\n\nAdams (Clerk)\nBrown\n\n\nGroup 2\n\nZed\nNONE\n";
        QTest::newRow("no size") << Args{"team.Qvr"} << 0 << all;
        QTest::newRow("amount 0") << Args{"team.Qvr", "--amount", "0"} << 0 << all;
        QTest::newRow("per group 000") << Args{"team.Qvr", "--per-group", "000"} << 0 << all;
        QTest::newRow("per group 0004") << Args{"team.Qvr", "--per-group", "0004"} << 0 << all;
        QTest::newRow("amount 999") << Args{"team.Qvr", "--amount", "999"} << 0 << many;

        QTest::newRow("empty pool") << Args{"empty.Qvr", "--amount", "3"} << 1 << "No profile data has been entered.";
        QTest::newRow("missing pool") << Args{"missing.Qvr"} << 1 << "missing.Qvr";
        QTest::newRow("no such folder") << Args{"team.Qvr", "-o", "no/such/groups.txt"} << 1 << "no/such/groups.txt";
        // Never onto the pool itself nor a device.
        QTest::newRow("-o pool") << Args{"team.Qvr", "-o", "./team.Qvr"} << 1 << "is the pool file";
        QTest::newRow("-o device") << Args{"team.Qvr", "-o", "/dev/null"} << 1 << "\"/dev/null\" cannot be replaced: it is a device";
        QTest::newRow("no pool") << Args{"--amount", "2"} << 2 << "pool";
        QTest::newRow("over 999") << Args{"team.Qvr", "--amount", "1000"} << 2 << "1000";
        QTest::newRow("letters") << Args{"team.Qvr", "--per-group", "4x"} << 2 << "4x";
        QTest::newRow("no value") << Args{"team.Qvr", "--amount"} << 2 << "--amount";
        QTest::newRow("both sizes") << Args{"team.Qvr", "--amount", "2", "--per-group", "3"} << 2 << "--per-group 3";
        QTest::newRow("record 0") << Args{"team.Qvr", "--select", "1,0"} << 2 << "\"0\"";
        QTest::newRow("not a number") << Args{"team.Qvr", "--select", "1,two"} << 2 << "two";
        QTest::newRow("past the pool") << Args{"team.Qvr", "--select", "2,5"} << 2 << "5";
        QTest::newRow("unknown option") << Args{"team.Qvr", "--shuffle", "other.Qvr"} << 2 << "--shuffle";
        QTest::newRow("keep unselected") << Args{"team.Qvr", "--improve", "--select", "1,2", "--keep", "3"} << 2 << "3";
        QTest::newRow("keep bad") << Args{"team.Qvr", "--improve", "--keep", "1,x"} << 2 << "x";
        // An option that would change nothing is a usage error, not ignored.
        QTest::newRow("keep alone") << Args{"team.Qvr", "--keep", "1"} << 2 << "--keep";
        QTest::newRow("even alone") << Args{"team.Qvr", "--even"} << 2 << "--even";
    }
    void groups()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const auto [status, out, err] = cli(args);
        QTEST(status, "status");
        if (status == 0)
            QCOMPARE(QString::fromUtf8(out), "Quorvia\n\n\nGroups\n" + expected);
        else  // one line that names the problem, nothing else, nothing left behind
            QVERIFY2(out.isEmpty() && err.contains(expected) && err.count('\n') == 1, qPrintable(err));
        QVERIFY(!QFile::exists(dir.path("missing.Qvr")) && !QFile::exists(dir.path("no")));
        QCOMPARE(QFileInfo(dir.path("team.Qvr")).size(), 4 * 174);
    }

    // The report's figures against the listing's groups summed pair by pair;
    // kept records stay where Calculate put them.
    void report()
    {
        std::vector<ProfileRecord> pool = PoolGenerator(5u).poolAtDensity(30, 0.25);
        QVERIFY(writePool(dir.path("traits.Qvr"), pool));
        const QStringList plainLines = QString::fromUtf8(cli({"traits.Qvr", "--per-group", "4"}).out).split('\n');
        long long boundOfFours = 0;
        for (const Args &options : {Args{"--per-group", "4"}, Args{"--per-group", "4", "--improve", "--keep", "1,5"},
                                    Args{"--amount", "3", "--improve", "--even"}}) {
            const auto [status, listing, err] = cli(Args{"traits.Qvr"} + options);
            QCOMPARE(status, 0);
            const QStringList lines = QString::fromUtf8(listing).split('\n');
            for (int k = 0; options.contains("--keep") && k < lines.size(); ++k)
                if (lines[k].startsWith("Last0,") || lines[k].startsWith("Last4,"))
                    QCOMPARE(lines[k], plainLines.value(k));
            std::vector<std::vector<int>> groups;  // record indexes
            for (const QString &line : lines) {
                if (line.startsWith("Group "))
                    groups.emplace_back();
                else if (line.startsWith("Last"))
                    groups.back().push_back(line.mid(4, line.indexOf(',') - 4).toInt());
            }
            QString expected;
            long long score = 0, conflicts = 0, twiceBound = 0;
            for (std::size_t g = 0; g < groups.size(); ++g) {
                long long groupScore = 0, groupConflicts = 0;
                for (std::size_t a = 0; a < groups[g].size(); ++a) {
                    for (std::size_t b = 0; b < a; ++b) {
                        const int s = reference::CompatibilityScore(pool[std::size_t(groups[g][a])], pool[std::size_t(groups[g][b])]);
                        groupScore += s;
                        groupConflicts += s < 0 ? 1 : 0;
                    }
                    std::vector<int> row;
                    for (std::size_t q = 0; q < pool.size(); ++q)
                        if (int(q) != groups[g][a])
                            row.push_back(reference::CompatibilityScore(pool[std::size_t(groups[g][a])], pool[q]));
                    std::sort(row.rbegin(), row.rend());
                    twiceBound += std::accumulate(row.begin(), row.begin() + qsizetype(groups[g].size()) - 1, 0);
                }
                expected += QStringLiteral("%1\t%2\t%3\t%4\n").arg(g + 1).arg(groups[g].size()).arg(groupScore).arg(groupConflicts);
                score += groupScore;
                conflicts += groupConflicts;
            }
            // The bound is the best possible for the people and the slots:
            // at least every total, and the same whatever Improve did.
            const QString report = QString::fromUtf8(cli(Args{"traits.Qvr", "--report"} + options).out);
            const long long bound = report.section('\t', -2, -2).toLongLong();
            QVERIFY(bound >= score && bound < twiceBound / 2);
            if (options.contains("4"))
                QCOMPARE(bound, boundOfFours = boundOfFours ? boundOfFours : bound);
            expected += QStringLiteral("total\t30\t%1\t%2\t%3\t%4\n").arg(score).arg(conflicts).arg(bound)
                            .arg(100.0 * double(score) / double(bound), 0, 'f', 1);
            QCOMPARE(report, expected);
        }
    }

    void exportFile()
    {
        QVERIFY(writeFile(dir.path("groups.txt"), QByteArray(5000, 'x')));  // replaced without a question
        const auto [status, out, err] = cli({"accents.Qvr", "-o", "groups.txt"});
        QCOMPARE(status, 0);
        QVERIFY(out.isEmpty() && err.isEmpty());
        QCOMPARE(readFile(dir.path("groups.txt")),
                 "Quorvia\r\n\r\n\r\nGroups\r\n\r\n\r\nGroup 1\r\n\r\nM\xFCller, Zo\xEB (Chef)\r\n");
    }

    // Every control character from the file is shown escaped, C0, DEL and C1 alike.
    void controlsNeverReachTheTerminal_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("list") << Args{"list", "controls.Qvr"};
        QTest::newRow("groups") << Args{"groups", "controls.Qvr"};
    }
    void controlsNeverReachTheTerminal()
    {
        QVERIFY(writePool(dir.path("controls.Qvr"),
                          {person("A\x7F" "b", QString::fromUtf8("C\xC2\x81" "d\xC2\x9D")),
                           person(QString::fromUtf8("E\xC2\x8F"), "F\x1B[2J", QString::fromUtf8("\xC2\x90x"))}));
        QFETCH(QStringList, args);
        const CliResult run = dir.run(args);
        QCOMPARE(run.status, 0);
        for (const char *escaped : {"A\\x7fb", "C\\x81d\\x9d", "E\\x8f", "F\\x1b[2J", "\\x90x"})
            QVERIFY2(run.out.contains(escaped), run.out.constData());
        const QString shown = QString::fromUtf8(run.out);
        for (const QChar c : shown)
            QVERIFY2(c.category() != QChar::Other_Control || c == '\n' || c == '\t', qPrintable(shown));
    }

    // With -o the groups go to the file and the report still to the output.
    void reportBesideTheFile_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("text") << Args{"--per-group", "2"};
        QTest::newRow("csv") << Args{"--per-group", "2", "--csv"};
        QTest::newRow("improved") << Args{"--amount", "2", "--improve"};
    }
    void reportBesideTheFile()
    {
        QFETCH(QStringList, options);
        const Args groups = Args{"groups", "four.Qvr"} + options;
        const CliResult report = dir.run(groups + Args{"--report"});
        const CliResult alone = dir.run(groups + Args{"-o", "alone.out"});
        QVERIFY(report.status == 0 && alone.status == 0 && report.out.startsWith("1\t"));
        const CliResult both = dir.run(groups + Args{"--report", "-o", "both.out"});
        QCOMPARE(both.status, 0);
        QCOMPARE(both.out, report.out);
        QCOMPARE(readFile(dir.path("both.out")), readFile(dir.path("alone.out")));
    }

    // Output lost on a full device is exit 1 with the reason, and an import
    // whose problems could not be told writes nothing.
    void fullOutputFails_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("groups") << Args{"groups", "four.Qvr"};
        QTest::newRow("report") << Args{"groups", "four.Qvr", "--report"};
        QTest::newRow("report beside -o") << Args{"groups", "four.Qvr", "--report", "-o", "groups.txt"};
        QTest::newRow("groups csv") << Args{"groups", "four.Qvr", "--csv"};
        QTest::newRow("export") << Args{"export", "four.Qvr"};
        QTest::newRow("list") << Args{"list", "four.Qvr"};
        QTest::newRow("import") << Args{"import", "four.Qvr", "noted.csv"};
    }
    void fullOutputFails()
    {
        QFETCH(QStringList, args);
        const QByteArray pool = readFile(dir.path("four.Qvr"));
        const CliResult run = dir.run(args, "/dev/full");
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("No space left on device"), qPrintable(run.err));
        QCOMPARE(readFile(dir.path("four.Qvr")), pool);
    }
};

QTEST_GUILESS_MAIN(TestCliGroups)
#include "tst_cli_groups.moc"
