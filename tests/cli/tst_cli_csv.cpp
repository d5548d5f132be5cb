#include "csv/PeopleCsv.h"
#include "pool/PoolLock.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliCsv : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // Exit status, stdout, stderr.
    std::tuple<int, QByteArray, QString> cli(const QStringList &args)
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(QUORVIA_CLI_PATH), args);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void importAndExport()
    {
        const std::vector<ProfileRecord> team{person("Ann", "Lee", "Clerk"), person("Zoë", "Müller")};
        QVERIFY(writePool(dir.filePath("team.Qvr"), team));
        QVERIFY(writePool(dir.filePath("new.Qvr"), {}));
        auto [status, out, err] = cli({"export", "team.Qvr"});
        QCOMPARE(status, 0);
        QCOMPARE(out, poolCsvBytes(team));
        QVERIFY(writeFile(dir.filePath("team.csv"), out + "Bob,Ray,,Diligant\r\n"));

        // A refused row: listed, exit 1; nothing written with --dry-run, the good rows without it.
        std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv", "--dry-run"});
        QCOMPARE(status, 1);
        QCOMPARE(out, QByteArray("4\tUnknown trait \"Diligant\" in Traits: did you mean \"Diligent\"? Correct it in "
                                 "the file. The row is left out.\n"));
        QCOMPARE(readFile(dir.filePath("new.Qvr")), QByteArray());
        std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv"});
        QCOMPARE(status, 1);
        QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(team));
        QVERIFY(err.contains("2 people added"));

        // Nothing valid: nothing written.
        QVERIFY(writeFile(dir.filePath("bad.csv"), "Last name,Traits\r\nX,Nonsense\r\n"));
        std::tie(status, out, err) = cli({"import", "new.Qvr", "bad.csv"});
        QCOMPARE(status, 1);
        QVERIFY(err.contains("No row can be imported"));
        QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(team));

        // A window holds the pool: it goes first, nothing is written.
        {
            PoolLock window;
            QCOMPARE(window.take(dir.filePath("new.Qvr")), PoolLock::Outcome::Taken);
            std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv"});
            QCOMPARE(status, 1);
            QVERIFY(err.contains("open in another window"));
            QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(team));
        }

        std::tie(status, out, err) = cli({"groups", "team.Qvr", "--per-group", "1", "--csv"});
        QCOMPARE(status, 0);
        QCOMPARE(out, QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,"
                                 "Pool\r\n1,1,Ann,Lee,Clerk,0,1,,,team.Qvr\r\n2,1,Zoë,Müller,,0,2,,,team.Qvr\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_cli_csv.moc"
