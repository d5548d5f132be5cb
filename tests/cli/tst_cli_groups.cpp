#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Args = QStringList;

class TestCliGroups : public QObject {
    Q_OBJECT

    QTemporaryDir dir;  // the working directory: pools and outputs by bare names

    // Exit status, stdout, stderr.
    std::tuple<int, QByteArray, QString> cli(const QStringList &args, const QString &output = {})
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        if (!output.isEmpty())
            process.setStandardOutputFile(output);
        process.start(QStringLiteral(QUORVIA_CLI_PATH), QStringList{"groups"} + args);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        // No traits, so the list order decides.
        QVERIFY(writePool(dir.filePath("team.Qvr"), {person("", "Zed"), person("", "Adams", "Clerk"),
                                                     person("", "Miller"), person("", "Brown")}));
        QVERIFY(writePool(dir.filePath("empty.Qvr"), {}));
        QVERIFY(writePool(dir.filePath("accents.Qvr"), {person("Zoë", "Müller", "Chef")}));
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
        QVERIFY(!QFile::exists(dir.filePath("missing.Qvr")) && !QFile::exists(dir.filePath("no")));
        QCOMPARE(QFileInfo(dir.filePath("team.Qvr")).size(), 4 * 174);
    }

    void exportFile()
    {
        QVERIFY(writeFile(dir.filePath("groups.txt"), QByteArray(5000, 'x')));  // replaced without a question
        const auto [status, out, err] = cli({"accents.Qvr", "-o", "groups.txt"});
        QCOMPARE(status, 0);
        QVERIFY(out.isEmpty() && err.isEmpty());
        QCOMPARE(readFile(dir.filePath("groups.txt")),
                 "Quorvia\r\n\r\n\r\nGroups\r\n\r\n\r\nGroup 1\r\n\r\nM\xFCller, Zo\xEB (Chef)\r\n");
        // A listing that does not reach the disk is a failure.
        const auto [fullStatus, fullOut, fullErr] = cli({"team.Qvr"}, "/dev/full");
        QCOMPARE(fullStatus, 1);
        QVERIFY2(fullErr.contains("No space left on device"), qPrintable(fullErr));
    }
};

QTEST_GUILESS_MAIN(TestCliGroups)
#include "tst_cli_groups.moc"
