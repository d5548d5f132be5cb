#include "support/PoolFixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliList : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static std::tuple<int, QByteArray, QString> cli(const QStringList &args)
    {
        QProcess process;
        process.start(qEnvironmentVariable("QUORVIA_CLI"), args);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void listsInListOrderWithRecordNumbers()
    {
        const QString pool = dir.filePath(QStringLiteral("team.Qvr"));
        QVERIFY(writePool(pool, {person("", "Zed"), person("Zoë", "Adams", "Clerk"), ProfileRecord()}));
        const auto [status, out, err] = cli({"list", pool});
        QCOMPARE(status, 0);
        QCOMPARE(out, QByteArray("3\t\n2\tAdams, Zo\xC3\xAB (Clerk)\n1\tZed\n"));
    }

    void failuresNameTheProblem()
    {
        const QString missing = dir.filePath(QStringLiteral("missing.Qvr"));
        const auto [status, out, err] = cli({"list", missing});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains(missing) && err.count('\n') == 1, qPrintable(err));
        QVERIFY(!QFile::exists(missing));  // a look must not create a pool

        for (const QStringList &usage : {QStringList{}, {"list"}, {"list", missing, missing}, {"shuffle"}})
            QCOMPARE(std::get<0>(cli(usage)), 2);
        QVERIFY(std::get<2>(cli({"shuffle"})).contains(QStringLiteral("shuffle")));
        const auto help = cli({"--help"});
        QVERIFY(std::get<0>(help) == 0 && std::get<1>(help).contains("quorvia-cli list POOL"));
    }
};

QTEST_GUILESS_MAIN(TestCliList)
#include "tst_cli_list.moc"
