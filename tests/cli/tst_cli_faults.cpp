// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Args = QStringList;

// What scripts rely on: nothing raw reaches the terminal, options are not
// silently dropped, and an output that does not arrive is a failure that
// changes nothing.
class TestCliFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir;  // the working directory: files by bare names

    struct Run {
        int status = -1;
        QByteArray out;
        QString err;
    };
    Run cli(const QStringList &args, const QString &output = {})
    {
        auto [status, out, err] = runCli(dir.path(), args, output);
        return {status, out, err};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(writePool(dir.filePath("team.Qvr"), {person("Ann", "Lee", "Clerk"), person("Bob", "Ray"),
                                                     person("Cy", "Oz"), person("Di", "Fe")}));
        QVERIFY(writeFile(dir.filePath("noted.csv"), "Last name,Email\nKay,k@q\n"));  // one note, one person
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
        QVERIFY(writePool(dir.filePath("controls.Qvr"),
                          {person("A\x7F" "b", QString::fromUtf8("C\xC2\x81" "d\xC2\x9D")),
                           person(QString::fromUtf8("E\xC2\x8F"), "F\x1B[2J", QString::fromUtf8("\xC2\x90x"))}));
        QFETCH(QStringList, args);
        const Run run = cli(args);
        QCOMPARE(run.status, 0);
        for (const char *escaped : {"A\\x7fb", "C\\x81d\\x9d", "E\\x8f", "F\\x1b[2J", "\\x90x"})
            QVERIFY2(run.out.contains(escaped), run.out.constData());
        const QString shown = QString::fromUtf8(run.out);
        for (const QChar c : shown)
            QVERIFY2(c.category() != QChar::Other_Control || c == '\n' || c == '\t', qPrintable(shown));
    }

    // An option that would change nothing is a usage error, not ignored.
    void optionsNeedTheirPartner_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("--keep alone") << Args{"--keep", "1"} << "--keep";
        QTest::newRow("--even alone") << Args{"--even"} << "--even";
    }
    void optionsNeedTheirPartner()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const Run run = cli(Args{"groups", "team.Qvr"} + args);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
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
        const Args groups = Args{"groups", "team.Qvr"} + options;
        const Run report = cli(groups + Args{"--report"});
        const Run alone = cli(groups + Args{"-o", "alone.out"});
        QVERIFY(report.status == 0 && alone.status == 0 && report.out.startsWith("1\t"));
        const Run both = cli(groups + Args{"--report", "-o", "both.out"});
        QCOMPARE(both.status, 0);
        QCOMPARE(both.out, report.out);
        QCOMPARE(readFile(dir.filePath("both.out")), readFile(dir.filePath("alone.out")));
    }

    // Output lost on a full device is exit 1 with the reason, and an import
    // whose problems could not be told writes nothing.
    void fullOutputFails_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("report") << Args{"groups", "team.Qvr", "--report"};
        QTest::newRow("report beside -o") << Args{"groups", "team.Qvr", "--report", "-o", "groups.txt"};
        QTest::newRow("groups csv") << Args{"groups", "team.Qvr", "--csv"};
        QTest::newRow("export") << Args{"export", "team.Qvr"};
        QTest::newRow("list") << Args{"list", "team.Qvr"};
        QTest::newRow("import") << Args{"import", "team.Qvr", "noted.csv"};
    }
    void fullOutputFails()
    {
        QFETCH(QStringList, args);
        const QByteArray pool = readFile(dir.filePath("team.Qvr"));
        const Run run = cli(args, "/dev/full");
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("No space left on device"), qPrintable(run.err));
        QCOMPARE(readFile(dir.filePath("team.Qvr")), pool);
    }
};

QTEST_GUILESS_MAIN(TestCliFaults)
#include "tst_cli_faults.moc"
