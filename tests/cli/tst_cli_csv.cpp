// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"
#include "pool/PoolLock.h"
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliCsv : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    auto cli(const QStringList &args) { return runCli(dir.path(), args); }

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

        // An unknown trait: listed and left out, the row comes in; nothing written with --dry-run.
        std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv", "--dry-run"});
        QCOMPARE(status, 0);
        QCOMPARE(out, QByteArray("4\tUnknown trait \"Diligant\" in Traits is left out: did you mean \"Diligent\"? "
                                 "Correct it in the file to keep it.\n"));
        QVERIFY(err.contains("3 people would be added"));
        QCOMPARE(readFile(dir.filePath("new.Qvr")), QByteArray());
        std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv"});
        QCOMPARE(status, 0);
        const std::vector<ProfileRecord> all{team[0], team[1], person("Bob", "Ray")};
        QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(all));
        QVERIFY(err.contains("3 people added"));

        // The same people again, in other case and blanks: skipped unless asked for.
        QVERIFY(writeFile(dir.filePath("again.csv"), "First name,Last name,Position\r\n ann ,LEE,clerk\r\nCid,Ray,\r\n"));
        std::tie(status, out, err) = cli({"import", "new.Qvr", "again.csv"});
        QCOMPARE(status, 0);
        QVERIFY2(err.contains("1 person added") && err.contains("1 person already in the pool skipped"), qPrintable(err));
        std::tie(status, out, err) = cli({"import", "new.Qvr", "again.csv", "--allow-duplicates"});
        QCOMPARE(status, 0);
        QCOMPARE(readFile(dir.filePath("new.Qvr")),
                 poolBytes({all[0], all[1], all[2], person("Cid", "Ray"), person("ann", "LEE", "clerk"),
                            person("Cid", "Ray")}));
        QVERIFY(writePool(dir.filePath("new.Qvr"), all));

        // Nothing valid: nothing written.
        QVERIFY(writeFile(dir.filePath("bad.csv"), "Last name,Traits\r\n,Nonsense\r\n"));
        std::tie(status, out, err) = cli({"import", "new.Qvr", "bad.csv"});
        QCOMPARE(status, 1);
        QVERIFY(err.contains("No row can be imported"));
        QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(all));

        // A window holds the pool: it goes first, nothing is written.
        {
            PoolLock window;
            QCOMPARE(window.take(dir.filePath("new.Qvr")), PoolLock::Outcome::Taken);
            std::tie(status, out, err) = cli({"import", "new.Qvr", "team.csv"});
            QCOMPARE(status, 1);
            QVERIFY(err.contains("open in another window"));
            QCOMPARE(readFile(dir.filePath("new.Qvr")), poolBytes(all));
        }

        std::tie(status, out, err) = cli({"groups", "team.Qvr", "--per-group", "1", "--csv"});
        QCOMPARE(status, 0);
        QCOMPARE(out, QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,"
                                 "Pool\r\n1,1,Ann,Lee,Clerk,0,1,,,team.Qvr\r\n2,1,Zoë,Müller,,0,2,,,team.Qvr\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_cli_csv.moc"
