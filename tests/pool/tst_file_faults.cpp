// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/AtomicFile.h"
#include "pool/PoolAppend.h"
#include "pool/PoolFile.h"
#include "pool/PoolLock.h"
#include "support/PoolFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace quorvia;
using namespace quorvia::testing;

// Whether a file and its folder really reach the disk cannot be seen from
// the files afterwards; the calls themselves can. The test program's own
// definitions stand in front of the C library's for every call it makes.
namespace {

struct SyncCall {
    QString what;  // "sync file", "sync folder", "rename"
    ino_t inode = 0;
};
bool recording = false;
std::vector<SyncCall> calls;

template<typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void recordSync(int fd)
{
    struct stat info {};
    if (recording && ::fstat(fd, &info) == 0)
        calls.push_back({S_ISDIR(info.st_mode) ? QStringLiteral("sync folder") : QStringLiteral("sync file"),
                         info.st_ino});
}

void recordRename()
{
    if (recording)
        calls.push_back({QStringLiteral("rename"), 0});
}

} // namespace

extern "C" {
int fsync(int fd)
{
    recordSync(fd);
    return next<int (*)(int)>("fsync")(fd);
}
int fdatasync(int fd)
{
    recordSync(fd);
    return next<int (*)(int)>("fdatasync")(fd);
}
int rename(const char *from, const char *to) noexcept
{
    recordRename();
    return next<int (*)(const char *, const char *)>("rename")(from, to);
}
int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned flags) noexcept
{
    recordRename();
    return next<int (*)(int, const char *, int, const char *, unsigned)>("renameat2")(fromFolder, from, toFolder,
                                                                                     to, flags);
}
}

class TestFileFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    static ino_t inodeOf(const QString &file)
    {
        struct stat info {};
        return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : 0;
    }

private slots:
    void init()
    {
        QDir(dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(path("sub")));
    }

    // The new content is on the disk before it takes the name, and the
    // folder entry after. A link stays a link: the file it names is replaced.
    void replaceReachesTheDisk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("pointsTo");  // as written into the link, none for the file itself
        QTest::newRow("the file") << "sub/real.txt" << QByteArray();
        QTest::newRow("absolute link") << "out.txt" << QFile::encodeName(path("sub/real.txt"));
        QTest::newRow("relative link, other folder") << "out.txt" << QByteArray("sub/real.txt");
        QTest::newRow("link to a link") << "sub/again.txt" << QByteArray("../out.txt");
    }
    void replaceReachesTheDisk()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, pointsTo);
        const QString real = path("sub/real.txt");
        QVERIFY(writeFile(real, "former") && ::chmod(QFile::encodeName(real).constData(), 0640) == 0);
        if (name == "sub/again.txt")
            QVERIFY(::symlink("sub/real.txt", QFile::encodeName(path("out.txt")).constData()) == 0);
        if (!pointsTo.isEmpty())
            QVERIFY(::symlink(pointsTo.constData(), QFile::encodeName(path(name)).constData()) == 0);
        QString reason;
        calls.clear();
        recording = true;
        const bool replaced = replaceFileContents(path(name), "new", &reason);
        recording = false;
        QVERIFY2(replaced, qPrintable(reason));
        QStringList order;
        for (const SyncCall &call : calls)
            order << call.what;
        QCOMPARE(order, QStringList({"sync file", "rename", "sync folder"}));
        QVERIFY(calls[0].inode == inodeOf(real) && calls[2].inode == inodeOf(path("sub")));

        char kept[256] = {};
        const auto linkLength = ::readlink(QFile::encodeName(path(name)).constData(), kept, 255);
        QCOMPARE(QByteArray(kept, std::max<qsizetype>(linkLength, 0)), pointsTo);
        QCOMPARE(readFile(real), QByteArray("new"));
        struct stat mode {};
        QVERIFY(::stat(QFile::encodeName(real).constData(), &mode) == 0 && (mode.st_mode & 07777) == 0640);
        // Nothing left beside it.
        QCOMPARE(QDir(path("sub")).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 name == "sub/again.txt" ? 2 : 1);
    }

    // One pool, one lock, under whatever name it was opened.
    void oneLockPerPool_data()
    {
        QTest::addColumn<QString>("secondName");
        QTest::newRow("same name") << "sub/pool.Qvr";
        QTest::newRow("symbolic link") << "link.Qvr";
        QTest::newRow("link to a link") << "sub/again.Qvr";
        QTest::newRow("dots in the path") << "sub/../sub/./pool.Qvr";
    }
    void oneLockPerPool()
    {
        QFETCH(QString, secondName);
        const QString pool = path("sub/pool.Qvr");
        QVERIFY(writePool(pool, {person("Ann", "Lee")}));
        QVERIFY(QFile::link(pool, path("link.Qvr")));
        QVERIFY(QFile::link(path("link.Qvr"), path("sub/again.Qvr")));
        for (const bool linkFirst : {false, true}) {
            PoolLock first;
            PoolLock second;
            QCOMPARE(first.take(linkFirst ? path(secondName) : pool), PoolLock::Outcome::Taken);
            QCOMPARE(second.take(linkFirst ? pool : path(secondName)), PoolLock::Outcome::HeldByOther);
            QVERIFY2(second.holder().contains(QString::number(QCoreApplication::applicationPid())),
                     qPrintable(second.holder()));
            QVERIFY(!second.isHeld());
            first.release();
            QCOMPARE(second.take(path(secondName)), PoolLock::Outcome::Taken);
        }
    }

    // A window may keep its pool open for days: however old its lock file,
    // it stays held while the window runs, even where the system's own
    // file locks do not work (a network share).
    void liveLockNeverGoesStale()
    {
        const QString pool = path("pool.Qvr");
        QVERIFY(writePool(pool, {person("Ann", "Lee")}));
        const QString lockPath = PoolLock::lockPathFor(pool);
        QByteArray written;
        {
            QLockFile ours(lockPath);
            QVERIFY(ours.tryLock(0));
            written = readFile(lockPath);
        }
        QVERIFY(!written.isEmpty() && !QFile::exists(lockPath));
        // As a running window on such a share leaves it: its content, no
        // system lock. The holder is another live program (this one would
        // count as a former process of the same number).
        QList<QByteArray> fields = written.split('\n');
        QVERIFY(fields.size() >= 3);
        fields[0] = QByteArray::number(qint64(::getppid()));
        fields[1] = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(::getppid()))).fileName().toUtf8();
        written = fields.join('\n');
        QVERIFY(writeFile(lockPath, written));
        const timeval aDayAgo{::time(nullptr) - 24 * 3600, 0};
        const timeval times[2]{aDayAgo, aDayAgo};
        QVERIFY(::utimes(QFile::encodeName(lockPath).constData(), times) == 0);
        PoolLock second;
        QCOMPARE(second.take(pool), PoolLock::Outcome::HeldByOther);
        QCOMPARE(readFile(lockPath), written);
        QFile::remove(lockPath);
    }

    // The most people a pool can address counts a partial last record (read
    // with zeros completing it) as one.
    void appendStopsAtTheSizeLimit_data()
    {
        const qint64 whole = qint64(kMaxPoolPeople) * kRecordSize;
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("after");  // the former size when refused
        QTest::newRow("fills up") << whole - kRecordSize << whole;
        QTest::newRow("partial, fills up") << whole - 2 * kRecordSize + 1 << whole;
        QTest::newRow("partial, one too many") << whole - kRecordSize + 1 << whole - kRecordSize + 1;
        QTest::newRow("full") << whole << whole;
    }
    void appendStopsAtTheSizeLimit()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, after);
        const QString pool = path("big.Qvr");
        QFile sparse(pool);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
        sparse.close();
        QString error;
        QCOMPARE(appendRecords(pool, {person("One", "More")}, &error), after != size);
        QCOMPARE(QFileInfo(pool).size(), after);
        QVERIFY(after != size || error.contains("Nothing was written"));
    }
};

QTEST_GUILESS_MAIN(TestFileFaults)
#include "tst_file_faults.moc"
