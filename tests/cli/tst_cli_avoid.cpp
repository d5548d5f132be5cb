// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PoolGenerator.h"
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

// quorvia-cli groups --improve --avoid: earlier groupings from files.
class TestCliAvoid : public QObject {
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
        QVERIFY(writePool(dir.filePath("class.Qvr"), PoolGenerator(5).pool(16, {})));
        QVERIFY(writePool(dir.filePath("other.Qvr"), {person("No", "Body")}));
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "4", "--csv", "-o", "week1.csv"})), 0);
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "4", "-o", "week1.txt"})), 0);
        QCOMPARE(std::get<0>(cli({"class.Qvr", "--per-group", "2", "--select", "1,2", "--csv", "-o", "two.csv"})), 0);
        QCOMPARE(std::get<0>(cli({"other.Qvr", "--csv", "-o", "stranger.csv"})), 0);
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

QTEST_GUILESS_MAIN(TestCliAvoid)
#include "tst_cli_avoid.moc"
