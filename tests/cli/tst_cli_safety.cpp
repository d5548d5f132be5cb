// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"
#include "pool/AtomicFile.h"
#include "pool/PoolWriteLock.h"
#include "support/CliRun.h"
#include "support/PoolFixtures.h"

#include <QtTest>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

std::vector<ProfileRecord> people(const QString &prefix, int count)
{
    std::vector<ProfileRecord> list;
    for (int i = 0; i < count; ++i)
        list.push_back(person(prefix, QString::number(i + 1), "Clerk"));
    return list;
}

std::vector<ProfileRecord> operator+(std::vector<ProfileRecord> a, const std::vector<ProfileRecord> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// What no import or output may do to a pool, whatever stops it or runs beside it.
class TestCliSafety : public QObject {
    Q_OBJECT
    CliFolder dir;

private slots:
    // The tool is stopped by the size limit at every stage of writing the new
    // pool (SIGXFSZ ends it as kill -9 would): the pool holds its old bytes,
    // or every new record after them, never anything in between.
    void killedImports()
    {
        const QString pool = dir.path("killed.Qvr");
        const std::vector<ProfileRecord> before = people("Old", 3);
        const std::vector<ProfileRecord> added = people("New", 40);
        QVERIFY(writeFile(dir.path("new.csv"), poolCsvBytes(added)));
        const qint64 total = qint64(before.size() + added.size()) * kRecordSize;
        int kills = 0;
        for (qint64 limit = 0; limit <= total; limit += limit < 2 * kRecordSize ? 29 : 211) {
            QVERIFY(writePool(pool, before));
            QProcess process;
            process.setChildProcessModifier([limit] {
                std::signal(SIGXFSZ, SIG_DFL);
                const rlimit size{rlim_t(limit), rlim_t(limit)};
                setrlimit(RLIMIT_FSIZE, &size);
            });
            startCli(process, dir.path(), {"import", "killed.Qvr", "new.csv"});
            const CliResult run = finishCli(process);
            const QByteArray bytes = readFile(pool);
            if (process.exitStatus() == QProcess::CrashExit) {
                ++kills;
                QCOMPARE(bytes, poolBytes(before));
            } else {
                QCOMPARE(run.status, 0);
                QCOMPARE(bytes, poolBytes(before + added));
            }
        }
        QVERIFY(kills >= 30);
        // The next import clears what the stopped one left.
        QVERIFY(writePool(pool, before + added));
        QVERIFY(dir.run({"import", "killed.Qvr", "new.csv", "--allow-duplicates"}).status == 0);
        QCOMPARE(readFile(pool), poolBytes(before + added + added));
        QVERIFY(!QFileInfo::exists(temporaryNameFor(pool)));
        qInfo("%d imports killed, 0 torn pools", kills);
    }

    // Imports started together take turns on the pool file: every one that
    // says so has all its records in the pool, none twice, none cut.
    void concurrentImports()
    {
        const QString pool = dir.path("shared.Qvr");
        const std::vector<ProfileRecord> a = people("Ann", 60);
        const std::vector<ProfileRecord> b = people("Bob", 60);
        QVERIFY(writeFile(dir.path("a.csv"), poolCsvBytes(a)));
        QVERIFY(writeFile(dir.path("b.csv"), poolCsvBytes(b)));
        constexpr int kPairs = 12;
        for (int pair = 0; pair < kPairs; ++pair) {
            QVERIFY(writePool(pool, {}));
            QProcess first;
            QProcess second;
            startCli(first, dir.path(), {"import", "shared.Qvr", "a.csv"});
            startCli(second, dir.path(), {"import", "shared.Qvr", "b.csv"});
            const CliResult one = finishCli(first);
            const CliResult two = finishCli(second);
            QCOMPARE(one.status, 0);
            QCOMPARE(two.status, 0);
            const QByteArray bytes = readFile(pool);
            QVERIFY(bytes == poolBytes(a + b) || bytes == poolBytes(b + a));
        }
        qInfo("%d concurrent pairs, 0 lost records", kPairs);

        // A writer that stays in the way is reported, and nothing is written.
        QVERIFY(writePool(pool, a));
        PoolWriteLock held;
        QString error;
        QVERIFY(held.lock(pool, &error));
        const CliResult blocked = dir.run({"import", "shared.Qvr", "b.csv"});
        QCOMPARE(blocked.status, 1);
        QVERIFY2(blocked.err.contains("is being changed by another program"), qPrintable(blocked.err));
        QCOMPARE(readFile(pool), poolBytes(a));
    }

    // No command writes its output into the pool, under any name.
    void standardOutputIsThePool()
    {
        const QString pool = dir.path("out.Qvr");
        const QString link = dir.path("other-name.Qvr");
        const QByteArray bytes = poolBytes(people("Ann", 2));
        QVERIFY(writeFile(pool, bytes));
        QFile::remove(link);
        QVERIFY(::link(QFile::encodeName(pool).constData(), QFile::encodeName(link).constData()) == 0);
        QVERIFY(writeFile(dir.path("one.csv"), poolCsvBytes(people("Cid", 1))));
        const QList<QStringList> commands{{"list", "out.Qvr"},
                                          {"export", "out.Qvr"},
                                          {"groups", "out.Qvr"},
                                          {"groups", "out.Qvr", "--csv", "--report"},
                                          {"import", "out.Qvr", "one.csv"}};
        // Appended to under another name, and opened for reading and writing.
        for (const QStringList &args : commands) {
            for (const QString &redirect : {QStringLiteral(">> other-name.Qvr"), QStringLiteral("1<> out.Qvr")}) {
                QProcess process;
                process.setWorkingDirectory(dir.path());
                process.start("sh", QStringList{"-c", "exec \"$0\" \"$@\" " + redirect, QStringLiteral(QUORVIA_CLI_PATH)} + args);
                const CliResult run = finishCli(process);
                QCOMPARE(run.status, 1);
                QVERIFY2(run.err.contains("The standard output is the pool file"), qPrintable(run.err));
                QCOMPARE(readFile(pool), bytes);
            }
        }
    }

    // Where an export may not go: files that belong to the pool, files the
    // owner protected; a name of 255 bytes can be written.
    void exportTargets()
    {
        const QString pool = dir.path("target.Qvr");
        QVERIFY(writePool(pool, people("Ann", 3)));
        for (const char *kept : {"target.Qvr.lock", "target.Qvr.rules", "target.Qvr.rounds"}) {
            const CliResult run = dir.run({"groups", "target.Qvr", "-o", kept});
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("a file that the pool"), qPrintable(run.err));
            QVERIFY(!QFileInfo::exists(dir.path(kept)));
        }
        const QString protectedFile = dir.path("protected.txt");
        QVERIFY(writeFile(protectedFile, "keep"));
        QFile::setPermissions(protectedFile, QFileDevice::ReadOwner);
        if (::geteuid() != 0) {  // root may write anything, as with the shell
            const CliResult run = dir.run({"groups", "target.Qvr", "-o", "protected.txt"});
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("write-protected"), qPrintable(run.err));
            QCOMPARE(readFile(protectedFile), QByteArray("keep"));
        }
        const QString longName = QString(251, 'g') + ".txt";
        const CliResult run = dir.run({"groups", "target.Qvr", "-o", longName});
        QCOMPARE(run.status, 0);
        QVERIFY(readFile(dir.path(longName)).startsWith("Quorvia"));
    }

    // The pool's limit of 32,767 people holds for the real import and the dry run alike.
    void fullPool()
    {
        const QString pool = dir.path("full.Qvr");
        QVERIFY(writeFile(pool, QByteArray(qsizetype(32760) * kRecordSize, '\0')));
        QVERIFY(writeFile(dir.path("ten.csv"), poolCsvBytes(people("Ten", 10))));
        for (const QStringList &args : {QStringList{"import", "full.Qvr", "ten.csv", "--dry-run"},
                                        QStringList{"import", "full.Qvr", "ten.csv"}}) {
            const CliResult run = dir.run(args);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("at most 32,767 people") && run.err.contains("7 more fit"), qPrintable(run.err));
            QCOMPARE(QFileInfo(pool).size(), qint64(32760) * kRecordSize);
        }
        QVERIFY(writeFile(dir.path("seven.csv"), poolCsvBytes(people("Seven", 7))));
        QCOMPARE(dir.run({"import", "full.Qvr", "seven.csv"}).status, 0);
        QCOMPARE(QFileInfo(pool).size(), qint64(32767) * kRecordSize);
    }
};

QTEST_GUILESS_MAIN(TestCliSafety)
#include "tst_cli_safety.moc"
