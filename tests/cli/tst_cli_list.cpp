#include "support/PoolFixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliList : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QByteArray out;
        QString err;
    };

    static Run cli(const QStringList &args)
    {
        QProcess process;
        process.start(qEnvironmentVariable("QUORVIA_CLI"), args);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir dir;

private slots:
    void listsInListOrderWithRecordNumbers()
    {
        const QString pool = dir.filePath(QStringLiteral("team.Qvr"));
        QVERIFY(writePool(pool, {person("", "Zed"), person("Zoë", "Adams", "Clerk"), ProfileRecord()}));
        const Run run = cli({QStringLiteral("list"), pool});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("3\t\n2\tAdams, Zo\xC3\xAB (Clerk)\n1\tZed\n"));
    }

    void failuresNameTheProblem()
    {
        const QString missing = dir.filePath(QStringLiteral("missing.Qvr"));
        Run run = cli({QStringLiteral("list"), missing});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(missing) && run.err.count(QLatin1Char('\n')) == 1, qPrintable(run.err));
        QVERIFY(!QFile::exists(missing));  // a look must not create a pool

        run = cli({});
        QCOMPARE(run.status, 2);
        run = cli({QStringLiteral("list")});
        QCOMPARE(run.status, 2);
        run = cli({QStringLiteral("list"), missing, missing});
        QCOMPARE(run.status, 2);
        run = cli({QStringLiteral("shuffle")});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("shuffle")), qPrintable(run.err));

        run = cli({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("quorvia-cli list POOL"));
    }
};

QTEST_GUILESS_MAIN(TestCliList)
#include "tst_cli_list.moc"
