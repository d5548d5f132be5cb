// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestCliList : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    auto cli(const QStringList &args, const QString &output = {}) { return runCli(dir.path(), args, output); }

private slots:
    void listsInListOrderWithRecordNumbers()
    {
        const QString pool = dir.filePath(QStringLiteral("team.Qvr"));
        // Control characters from the file are shown escaped: one line per record, no terminal escapes.
        QVERIFY(writePool(pool, {person("", "Zed\x1b[2J"), person("Zoë", "Adams", "Clerk"), ProfileRecord(),
                                 person("Al\\", "Bo\nCy")}));
        const auto [status, out, err] = cli({"list", pool});
        QCOMPARE(status, 0);
        QCOMPARE(out, QByteArray("3\t\n2\tAdams, Zo\xC3\xAB (Clerk)\n4\tBo\\x0aCy, Al\\\\\n1\tZed\\x1b[2J\n"));
    }

    void failuresNameTheProblem()
    {
        const QString missing = dir.filePath(QStringLiteral("missing.Qvr"));
        const auto [status, out, err] = cli({"list", missing});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains(missing) && err.count('\n') == 1, qPrintable(err));
        QVERIFY(!QFile::exists(missing));  // a look must not create a pool

        for (const QStringList &usage : {QStringList{}, {"list"}, {"list", missing, missing}, {"shuffle"}, {"list", ""}})
            QCOMPARE(std::get<0>(cli(usage)), 2);
        QCOMPARE(std::get<2>(cli({"list", ""})).count('\n'), 1);  // the message alone, no warning from below
        QVERIFY(std::get<2>(cli({"shuffle"})).contains(QStringLiteral("shuffle")));
        for (const QStringList &args : {QStringList{"--help"}, {"list", "--help"}}) {
            const auto help = cli(args);
            QVERIFY(std::get<0>(help) == 0 && std::get<1>(help).contains("quorvia-cli list POOL"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliList)
#include "tst_cli_list.moc"
