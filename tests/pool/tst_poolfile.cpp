// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/AtomicFile.h"
#include "pool/PoolAppend.h"
#include "pool/PoolFile.h"
#include "pool/PoolLock.h"
#include "pool/PoolWriteLock.h"
#include "pool/SafeTarget.h"
#include "pool/Windows1252.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvia;
using namespace quorvia::testing;

class TestPoolFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void recordLayoutFollowsStoredOffsets()
    {
        ProfileRecord r = person("Ann", "", "Clerk");
        r.OwnAttributes[0] = kTrue;
        r.IncompatibleWith[21] = kTrue;
        r.CompatibleWith[3] = 0x1234;  // a value this program never writes
        QByteArray b(kRecordSize, '\0');
        r.toBytes(b.data());
        QCOMPARE(b.left(36), QByteArray("Ann                     Clerk       "));
        QByteArray flags(kRecordSize - 36, '\0');
        for (int offset : {36, 166, 168, 170})
            flags.replace(offset - 36, 2, "\xFF\xFF");
        flags.replace(80 + 6 - 36, 2, "\x34\x12");  // little-endian
        QCOMPARE(b.mid(36), flags);

        // Whatever the bytes, reading then writing gives them back.
        QRandomGenerator random(174);
        for (int round = 0; round < 200; ++round) {
            for (char &c : b)
                c = round == 0 ? '\0' : char(random.bounded(256));
            QByteArray out(kRecordSize, '\0');
            ProfileRecord::fromBytes(b.constData()).toBytes(out.data());
            QCOMPARE(out, b);
        }
    }

    void textsUseWindows1252()
    {
        const std::pair<QString, QByteArray> cases[] = {
            {QStringLiteral("Zoë €uro"), "Zo\xEB \x80uro    "},
            {QStringLiteral("Bartholomews"), "Bartholomews"},       // exactly 12: no padding
            {QStringLiteral("Bartholomew-Smith"), "Bartholomew-"},  // cut after 12
            {QStringLiteral("Li 李\U0001F600x"), "Li ??x      "},  // one '?' per character, even outside the BMP
        };
        for (const auto &[text, stored] : cases) {
            TextField field;
            setFieldText(field, text);
            QCOMPARE(QByteArray(field.data(), kTextSize), stored);
        }
        QCOMPARE(decodeWindows1252(QByteArray("Zo\xEB \x80uro")), QStringLiteral("Zoë €uro"));
        const QByteArray undefinedBytes("\x81\x8D\x8F\x90\x9D\xFF", 6);
        QCOMPARE(encodeWindows1252(decodeWindows1252(undefinedBytes)), undefinedBytes);

        // A stored text ends at its first NUL; trimming removes blanks only.
        TextField withNul{};
        std::memcpy(withNul.data(), "Al\0x", 4);
        QCOMPARE(fieldText(withNul), QStringLiteral("Al"));
        QCOMPARE(fieldText(TextField{}), QString());
        QCOMPARE(trimBlanks(QStringLiteral("  de la Cruz  ")), QStringLiteral("de la Cruz"));
        QCOMPARE(trimBlanks(QStringLiteral("\tAnn\t")), QStringLiteral("\tAnn\t"));
    }

    void countsAppendsAndOverwrites()
    {
        const QString pool = path(QStringLiteral("grow.Qvr"));
        QVERIFY(writePool(pool, {person("A", "One"), person("B", "Two")}));
        QCOMPARE(PoolFile::recordCountOf(pool), 2.0);
        PoolFile file(pool);
        QString error;
        QVERIFY2(file.openForWriting(&error), qPrintable(error));
        QVERIFY(file.write(3, person("C", "Three"), &error));
        QCOMPARE(file.size(), qint64(522));
        QVERIFY(file.write(2, person("D", "Four"), &error));
        QCOMPARE(file.size(), qint64(522));
        QCOMPARE(file.read(2), person("D", "Four"));
        QCOMPARE(file.read(1), person("A", "One"));
        QCOMPARE(file.read(4), ProfileRecord());  // past the end: the all-zero record
        file.close();

        // A missing pool is created empty when it is first read.
        const QString fresh = path(QStringLiteral("new.Qvr"));
        std::vector<ProfileRecord> records(1);
        QVERIFY(PoolFile::readAll(fresh, &records, &error));
        QVERIFY(records.empty() && QFileInfo::exists(fresh) && PoolFile::fileSize(fresh) == 0);
        QCOMPARE(formatRecordCount(0), QStringLiteral("0"));
        QCOMPARE(formatRecordCount(32767), QStringLiteral("32767"));
        QCOMPARE(formatRecordCount(1.5), QStringLiteral("1.5"));
    }

    void partialLastRecordReadsZeroPaddedAndIsLeftAlone()
    {
        const QString pool = path(QStringLiteral("partial.Qvr"));
        const QByteArray bytes = poolBytes({person("Ann", "Lee")}) + "Bob";
        QVERIFY(writeFile(pool, bytes));
        std::vector<ProfileRecord> records;
        QString error;
        QVERIFY(PoolFile::readAll(pool, &records, &error));
        QCOMPARE(records.size(), std::size_t(2));
        QCOMPARE(fieldText(records[1].FirstName), QStringLiteral("Bob"));
        QCOMPARE(records[1].HasData, std::int16_t(0));
        PoolFile file(pool);
        QVERIFY(file.openForReading(&error));
        QCOMPARE(file.recordCount(), 177.0 / 174.0);
        QCOMPARE(file.read(2), records[1]);
        file.close();
        QCOMPARE(readFile(pool), bytes);
    }

    void failuresNameTheFileAndTheReason()
    {
        std::vector<ProfileRecord> records;
        QString error;
        const QString inMissingFolder = path(QStringLiteral("no-such-folder/team.Qvr"));
        QVERIFY(!PoolFile::readAll(inMissingFolder, &records, &error));
        QVERIFY2(error.contains(inMissingFolder) && error.contains("No such file or directory"), qPrintable(error));
        QVERIFY(!PoolFile::readAll(dir.path(), &records, &error));
        QVERIFY2(error.contains(QStringLiteral("folder")), qPrintable(error));
        for (const PoolFile::Missing missing : {PoolFile::Missing::Create, PoolFile::Missing::Fail}) {
            QVERIFY(!PoolFile::readAll(QStringLiteral("/dev/zero"), &records, &error, missing));  // endless
            QVERIFY2(error.contains(QStringLiteral("not a regular file")), qPrintable(error));
        }
        QVERIFY(!PoolFile::readAll(path(QStringLiteral("absent.Qvr")), &records, &error, PoolFile::Missing::Fail));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("absent.Qvr"))));
    }

    void fullDiskLosesNothing()
    {
        // An append stopped half-way is cut back.
        const QString pool = path(QStringLiteral("limit.Qvr"));
        const QByteArray before = poolBytes({person("Ann", "Lee"), person("Bo", "Ng")});
        QVERIFY(writeFile(pool, before));
        QString error;
        {
            const FileSizeLimit limit(before.size() + 100);
            PoolFile file(pool);
            QVERIFY(file.openForWriting(&error));
            QVERIFY(!file.write(3, person("Cy", "Oz"), &error));
        }
        QVERIFY2(error.contains(pool) && error.contains(QStringLiteral("File too large")), qPrintable(error));
        QCOMPARE(readFile(pool), before);

        // A replaced file is either whole or untouched, with no temporary file left.
        const QString target = path(QStringLiteral("groups.txt"));
        QVERIFY(writeFile(target, "former\r\n"));
        const QByteArray large(256 * 1024, 'x');
        {
            const FileSizeLimit limit(64 * 1024);
            QVERIFY(!replaceFileContents(target, large, &error));
        }
        QVERIFY2(error.contains(QStringLiteral("File too large")), qPrintable(error));
        QCOMPARE(readFile(target), QByteArray("former\r\n"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*groups.txt*")}, QDir::Files | QDir::Hidden),
                 QStringList{"groups.txt"});
        QVERIFY(replaceFileContents(target, large, &error));
        QCOMPARE(readFile(target), large);
    }

    void unsafeTargetsAreRefused()
    {
        const QString pool = path(QStringLiteral("safe.Qvr"));
        QVERIFY(writePool(pool, {person("Ann", "Lee")}));
        QVERIFY(QFile::link(pool, path(QStringLiteral("link.Qvr"))));
        QVERIFY(::link(qPrintable(pool), qPrintable(path(QStringLiteral("hard.Qvr")))) == 0);
        QVERIFY(::mkfifo(qPrintable(path(QStringLiteral("fifo"))), 0600) == 0);
        const std::pair<QString, QString> refused[] = {
            {pool, "is the pool file"}, {path(QStringLiteral("link.Qvr")), "is the pool file"},
            {path(QStringLiteral("hard.Qvr")), "is the pool file"}, {path(QStringLiteral("fifo")), "pipe"},
            {QStringLiteral("/dev/null"), "device"}, {dir.path(), "folder"}};
        for (const auto &[target, reason] : refused) {
            const QString problem = exportTargetProblem(target, pool);
            QVERIFY2(problem.contains(target) && problem.contains(reason), qPrintable(problem));
        }
        QString error;
        QVERIFY(!replaceFileContents(path(QStringLiteral("fifo")), "x", &error));
        QVERIFY(!QFileInfo(path(QStringLiteral("fifo"))).isFile());

        // A leftover of a killed replace is overwritten, not joined by another.
        const QString target = path(QStringLiteral("kept.txt"));
        QVERIFY(writeFile(target, "old") && writeFile(temporaryNameFor(target), "leftover"));
        QVERIFY2(replaceFileContents(target, "new", &error), qPrintable(error));
        QCOMPARE(readFile(target), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(temporaryNameFor(target)));
        // A write-protected one is the owner's word that it stays (root may write anything).
        QVERIFY(::chmod(qPrintable(target), 0444) == 0);
        QCOMPARE(replaceFileContents(target, "newer", &error), ::geteuid() == 0);
        QCOMPARE(readFile(target), QByteArray(::geteuid() == 0 ? "newer" : "new"));
    }

    // Writers of one pool take turns on the file itself; one that waited
    // while another renamed a new pool into place finds out and starts again.
    void writersExcludeEachOther()
    {
        const QString pool = path(QStringLiteral("turns.Qvr"));
        QVERIFY(writePool(pool, {person("Ann", "Lee")}));
        QString error;
        PoolWriteLock first;
        QVERIFY(first.lock(pool, &error));
        PoolWriteLock second;
        QVERIFY(!second.lock(pool, &error, PoolWriteLock::Wait::Not));
        QVERIFY2(error.contains(QStringLiteral("is being changed by another program")), qPrintable(error));
        PoolFile save(pool);
        const int waiting = ::open(qPrintable(pool), O_RDWR);  // opened before the rename, as a waiting writer's
        QVERIFY(replaceFileContents(pool, poolBytes({person("Bo", "Ng")}), &error));
        first.release();
        QCOMPARE(PoolWriteLock::lockDescriptor(waiting, pool, PoolWriteLock::Wait::Not, &error),
                 PoolWriteLock::Outcome::Replaced);
        ::close(waiting);
        // A save checks and writes under the lock, on the file the name leads to now.
        QVERIFY(save.openForWriting(&error));
        QVERIFY(!PoolWriteLock().lock(pool, &error, PoolWriteLock::Wait::Not));
        QVERIFY(save.write(2, person("Cy", "Oz"), &error, QByteArray()));
        save.close();
        QCOMPARE(readFile(pool), poolBytes({person("Bo", "Ng"), person("Cy", "Oz")}));
        QVERIFY(second.lock(pool, &error, PoolWriteLock::Wait::Not));
    }

    // Stale lock files are taken over; a live holder is named with the file to remove.
    void lockFilesThatNameNobody()
    {
        const QString pool = path(QStringLiteral("locked.Qvr"));
        QVERIFY(writePool(pool, {}));
        const QString lockFile = PoolLock::lockPathFor(pool);
        const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
        for (const QByteArray &content : {QByteArray(), QByteArray("garbage"), QByteArray("\x01\xFF\0\n", 4),
                                          ownPid + "\nquorvia\n" + QSysInfo::machineHostName().toUtf8() + "\n"}) {
            QVERIFY(writeFile(lockFile, content));
            PoolLock lock;
            QCOMPARE(lock.take(pool), PoolLock::Outcome::Taken);
            lock.release();
        }
        QProcess sleeper;  // a live process other than this one
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(sleeper.waitForStarted());
        QVERIFY(writeFile(lockFile, QByteArray::number(sleeper.processId()) + "\nsleep\n"
                                        + QSysInfo::machineHostName().toUtf8() + "\n"));
        PoolLock lock;
        QCOMPARE(lock.take(pool), PoolLock::Outcome::HeldByOther);
        QVERIFY2(lock.holder().contains(QStringLiteral("remove the lock file \"%1\"").arg(lockFile)),
                 qPrintable(lock.holder()));
        QVERIFY(!PoolLock::windowHolding(pool).isEmpty());
        sleeper.kill();
        sleeper.waitForFinished();
        QVERIFY(PoolLock::windowHolding(pool).isEmpty());
        QCOMPARE(lock.take(pool), PoolLock::Outcome::Taken);
    }

    // New pools are private; pools that exist keep their mode.
    void newPoolsArePrivate()
    {
        const QString fresh = path(QStringLiteral("private.Qvr"));
        PoolFile pool(fresh);
        QString error;
        QVERIFY(pool.openForReading(&error));
        pool.close();
        QCOMPARE(QFileInfo(fresh).permissions() & 0x0077, QFileDevice::Permissions());
        QVERIFY(::chmod(qPrintable(fresh), 0644) == 0);
        QVERIFY(appendRecords(fresh, {person("Ann", "Lee")}, &error));
        struct stat mode {};
        QVERIFY(::stat(qPrintable(fresh), &mode) == 0 && (mode.st_mode & 07777) == 0644);
        // Root importing into a user's pool leaves it the user's.
        if (::geteuid() == 0) {
            QVERIFY(::chown(qPrintable(fresh), 4321, 4321) == 0);
            QVERIFY(appendRecords(fresh, {person("Bo", "Ng")}, &error));
            QVERIFY(::stat(qPrintable(fresh), &mode) == 0 && mode.st_uid == 4321 && mode.st_gid == 4321);
        }
    }

    void oversizedFileIsRefusedBeforeReading()
    {
        const QString huge = path(QStringLiteral("huge.Qvr"));
        QFile sparse(huge);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(400) << 30));  // 400 GB, no blocks
        sparse.close();
        std::vector<ProfileRecord> records;
        QString error;
        QVERIFY(!PoolFile::readAll(huge, &records, &error));
        QVERIFY2(error.contains(huge) && error.contains(QStringLiteral("too large")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestPoolFile)
#include "tst_poolfile.moc"
