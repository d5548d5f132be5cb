#include "support/PoolFixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliGroups : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QByteArray out;
        QString err;
    };

    static Run cli(QStringList args)
    {
        args.prepend(QStringLiteral("groups"));
        QProcess process;
        process.start(qEnvironmentVariable("QUORVIA_CLI"), args);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir dir;
    QString team;  // 1 Zed, 2 Adams (Clerk), 3 Miller, 4 Brown; no traits, so the list order decides

private slots:
    void initTestCase()
    {
        team = dir.filePath(QStringLiteral("team.Qvr"));
        QVERIFY(writePool(team, {person("", "Zed"), person("", "Adams", "Clerk"), person("", "Miller"),
                                 person("", "Brown")}));
    }

    void peopleEnterInListOrder()
    {
        Run run = cli({team, QStringLiteral("--per-group"), QStringLiteral("2")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("Quorvia\n\n\nGroups\n\n\nGroup 1\n\nAdams (Clerk)\nBrown\n\n\nGroup 2\n\nMiller\nZed\n"));

        // Whatever order the numbers come in; a number given twice is one tick.
        run = cli({QStringLiteral("--select"), QStringLiteral("4,1,2,4"), team, QStringLiteral("--amount"),
                   QStringLiteral("2")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("Quorvia\n\n\nGroups\n\n\nGroup 1\n\nAdams (Clerk)\nBrown\n\n\nGroup 2\n\nZed\nNONE\n"));
    }

    void sizeDefaults()
    {
        const QByteArray oneGroup("Quorvia\n\n\nGroups\n\n\nGroup 1\n\nAdams (Clerk)\nBrown\nMiller\nZed\n");
        for (const QStringList &size : {QStringList{}, QStringList{"--amount", "0"}, QStringList{"--amount", ""},
                                        QStringList{"--per-group", "000"}, QStringList{"--per-group", ""},
                                        QStringList{"--per-group", "0004"}}) {
            const Run run = cli(QStringList{team} + size);
            QCOMPARE(run.status, 0);
            QVERIFY2(run.out == oneGroup, qPrintable(size.join(QLatin1Char(' ')) + QLatin1String(": ") + run.out));
        }
        // More groups than people: one each, the rest empty.
        const Run run = cli({team, QStringLiteral("--amount"), QStringLiteral("999")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.count("\nGroup "), 999);
        QVERIFY(run.out.endsWith("\n\n\nGroup 999\n\nNONE\n"));
    }

    void exportWritesTheDocumentFile()
    {
        const QString pool = dir.filePath(QStringLiteral("accents.Qvr"));
        QVERIFY(writePool(pool, {person(QString::fromUtf8("Zoë"), QString::fromUtf8("Müller"), "Chef")}));
        const QString out = dir.filePath(QStringLiteral("groups.txt"));
        QVERIFY(writeFile(out, QByteArray(5000, 'x')));  // replaced without a question

        Run run = cli({pool, QStringLiteral("-o"), out});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(readFile(out), QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n\r\n\r\nGroup 1\r\n\r\nM\xFCller, Zo\xEB (Chef)\r\n"));

        // A folder that does not exist: the failure names the file, nothing is left behind.
        const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/groups.txt"));
        run = cli({pool, QStringLiteral("-o"), nowhere});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QDir::toNativeSeparators(nowhere)), qPrintable(run.err));
        QVERIFY(!QFile::exists(nowhere));
    }

    void poolProblems()
    {
        const QString empty = dir.filePath(QStringLiteral("empty.Qvr"));
        QVERIFY(writePool(empty, {}));
        Run run = cli({empty, QStringLiteral("--amount"), QStringLiteral("3")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("No profile data has been entered.")), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());

        const QString missing = dir.filePath(QStringLiteral("missing.Qvr"));
        run = cli({missing});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(missing) && run.err.count(QLatin1Char('\n')) == 1, qPrintable(run.err));
        QVERIFY(!QFile::exists(missing));
    }

    void usageErrorsNameTheBadArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("over 999") << QStringList{"--amount", "1000"} << "1000";
        QTest::newRow("letters") << QStringList{"--per-group", "4x"} << "4x";
        QTest::newRow("negative") << QStringList{"--amount", "-2"} << "-2";
        QTest::newRow("fraction") << QStringList{"--amount", "2.5"} << "2.5";
        QTest::newRow("no value") << QStringList{"--amount"} << "--amount";
        QTest::newRow("both sizes") << QStringList{"--amount", "2", "--per-group", "3"} << "--per-group 3";
        QTest::newRow("record 0") << QStringList{"--select", "1,0"} << "\"0\"";
        QTest::newRow("empty item") << QStringList{"--select", "1,,2"} << "\"\"";
        QTest::newRow("not a number") << QStringList{"--select", "1,two"} << "two";
        QTest::newRow("past the pool") << QStringList{"--select", "2,5"} << "5";
        QTest::newRow("unknown option") << QStringList{"--shuffle"} << "--shuffle";
        QTest::newRow("two pools") << QStringList{"other.Qvr"} << "other.Qvr";
    }

    void usageErrorsNameTheBadArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const Run run = cli(QStringList{team} + args);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void poolIsRequired()
    {
        const Run run = cli({QStringLiteral("--amount"), QStringLiteral("2")});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("pool")), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCliGroups)
#include "tst_cli_groups.moc"
