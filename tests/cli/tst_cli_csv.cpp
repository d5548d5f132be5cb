// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"
#include "pool/PoolLock.h"
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

// The commands on the pool's people: list, export and import.
class TestCliCsv : public QObject {
    Q_OBJECT
    CliFolder dir;

private slots:
    void listsInListOrderWithRecordNumbers()
    {
        // Control characters from the file are shown escaped: one line per record, no terminal escapes.
        QVERIFY(writePool(dir.path("team.Qvr"), {person("", "Zed\x1b[2J"), person("Zoë", "Adams", "Clerk"), ProfileRecord(),
                                                 person("Al\\", "Bo\nCy")}));
        const CliResult run = dir.run({"list", "team.Qvr"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("3\t\n2\tAdams, Zo\xC3\xAB (Clerk)\n4\tBo\\x0aCy, Al\\\\\n1\tZed\\x1b[2J\n"));
    }

    void failuresNameTheProblem()
    {
        const CliResult run = dir.run({"list", "missing.Qvr"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("missing.Qvr") && run.err.count('\n') == 1, qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.path("missing.Qvr")));  // a look must not create a pool

        for (const QStringList &usage : {QStringList{}, {"list"}, {"list", "a.Qvr", "b.Qvr"}, {"shuffle"}, {"list", ""}})
            QCOMPARE(dir.run(usage).status, 2);
        QCOMPARE(dir.run({"list", ""}).err.count('\n'), 1);  // the message alone, no warning from below
        QVERIFY(dir.run({"shuffle"}).err.contains(QStringLiteral("shuffle")));
        for (const QStringList &args : {QStringList{"--help"}, {"list", "--help"}}) {
            const CliResult help = dir.run(args);
            QVERIFY(help.status == 0 && help.out.contains("quorvia-cli list POOL"));
        }
    }

    void importAndExport()
    {
        const std::vector<ProfileRecord> team{person("Ann", "Lee", "Clerk"), person("Zoë", "Müller")};
        QVERIFY(writePool(dir.path("team.Qvr"), team));
        QVERIFY(writePool(dir.path("new.Qvr"), {}));
        CliResult run = dir.run({"export", "team.Qvr"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, poolCsvBytes(team));
        QVERIFY(writeFile(dir.path("team.csv"), run.out + "Bob,Ray,,Diligant\r\n"));

        // An unknown trait: listed and left out, the row comes in; nothing written with --dry-run.
        run = dir.run({"import", "new.Qvr", "team.csv", "--dry-run"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("4\tUnknown trait \"Diligant\" in Traits is left out: did you mean \"Diligent\"? "
                                     "Correct it in the file to keep it.\n"));
        QVERIFY(run.err.contains("3 people would be added"));
        QCOMPARE(readFile(dir.path("new.Qvr")), QByteArray());
        run = dir.run({"import", "new.Qvr", "team.csv"});
        QCOMPARE(run.status, 0);
        const std::vector<ProfileRecord> all{team[0], team[1], person("Bob", "Ray")};
        QCOMPARE(readFile(dir.path("new.Qvr")), poolBytes(all));
        QVERIFY(run.err.contains("3 people added"));

        // The same people again, in other case and blanks: skipped unless asked for.
        QVERIFY(writeFile(dir.path("again.csv"), "First name,Last name,Position\r\n ann ,LEE,clerk\r\nCid,Ray,\r\n"));
        run = dir.run({"import", "new.Qvr", "again.csv"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.contains("1 person added") && run.err.contains("1 person already in the pool skipped"), qPrintable(run.err));
        run = dir.run({"import", "new.Qvr", "again.csv", "--allow-duplicates"});
        QCOMPARE(run.status, 0);
        QCOMPARE(readFile(dir.path("new.Qvr")),
                 poolBytes({all[0], all[1], all[2], person("Cid", "Ray"), person("ann", "LEE", "clerk"),
                            person("Cid", "Ray")}));
        QVERIFY(writePool(dir.path("new.Qvr"), all));

        // Nothing valid: nothing written.
        QVERIFY(writeFile(dir.path("bad.csv"), "Last name,Traits\r\n,Nonsense\r\n"));
        run = dir.run({"import", "new.Qvr", "bad.csv"});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("No row can be imported"));
        QCOMPARE(readFile(dir.path("new.Qvr")), poolBytes(all));

        // A window holds the pool: it goes first, nothing is written.
        {
            PoolLock window;
            QCOMPARE(window.take(dir.path("new.Qvr")), PoolLock::Outcome::Taken);
            run = dir.run({"import", "new.Qvr", "team.csv"});
            QCOMPARE(run.status, 1);
            QVERIFY(run.err.contains("open in another window"));
            QCOMPARE(readFile(dir.path("new.Qvr")), poolBytes(all));
        }

        run = dir.run({"groups", "team.Qvr", "--per-group", "1", "--csv"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,"
                                 "Pool\r\n1,1,Ann,Lee,Clerk,0,1,,,team.Qvr\r\n2,1,Zoë,Müller,,0,2,,,team.Qvr\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_cli_csv.moc"
