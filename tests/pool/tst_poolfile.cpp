#include "pool/AtomicFile.h"
#include "pool/PoolFile.h"
#include "pool/ProfileRecord.h"
#include "pool/Windows1252.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>


using namespace quorvia;
using namespace quorvia::testing;

class TestPoolFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void recordLayoutFollowsStoredOffsets()
    {
        ProfileRecord r = person(QStringLiteral("Ann"), QString(), QStringLiteral("Clerk"));
        r.OwnAttributes[0] = kTrue;
        r.IncompatibleWith[21] = kTrue;
        r.CompatibleWith[3] = 0x1234;  // a value this program never writes
        char bytes[kRecordSize];
        r.toBytes(bytes);
        const QByteArray b(bytes, kRecordSize);

        QCOMPARE(b.mid(0, 12), QByteArray("Ann         "));
        QCOMPARE(b.mid(12, 12), QByteArray(12, ' '));
        QCOMPARE(b.mid(24, 12), QByteArray("Clerk       "));
        for (int word = 0; word < kFlagCount; ++word) {
            const int offset = 36 + 2 * word;
            QByteArray expected("\0\0", 2);
            if (offset == 36 || offset == 166 || offset == 168 || offset == 170)
                expected = QByteArray("\xFF\xFF", 2);
            if (offset == 80 + 2 * 3)
                expected = QByteArray("\x34\x12", 2);  // little-endian
            QCOMPARE(b.mid(offset, 2), expected);
        }
        QCOMPARE(ProfileRecord::fromBytes(bytes), r);
    }

    void anyBytesRoundTripExactly()
    {
        QRandomGenerator random(174);
        for (int round = 0; round < 200; ++round) {
            char in[kRecordSize];
            for (char &c : in)
                c = char(random.bounded(256));
            if (round == 0)
                std::fill(std::begin(in), std::end(in), '\0');
            char out[kRecordSize];
            ProfileRecord::fromBytes(in).toBytes(out);
            QCOMPARE(QByteArray(out, kRecordSize), QByteArray(in, kRecordSize));
        }
    }

    void textsUseWindows1252()
    {
        TextField field;
        setFieldText(field, QStringLiteral("Zoë €uro"));
        QCOMPARE(QByteArray(field.data(), 12), QByteArray("Zo\xEB \x80uro    "));
        QCOMPARE(fieldText(field), QStringLiteral("Zoë €uro    "));

        // Exactly 12 characters fill the field; more are cut.
        setFieldText(field, QStringLiteral("Bartholomews"));
        QCOMPARE(QByteArray(field.data(), 12), QByteArray("Bartholomews"));
        setFieldText(field, QStringLiteral("Bartholomew-Smith"));
        QCOMPARE(QByteArray(field.data(), 12), QByteArray("Bartholomew-"));

        // What the code page lacks becomes one '?' per character, even outside the BMP.
        setFieldText(field, QStringLiteral("Li 李") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("x"));
        QCOMPARE(QByteArray(field.data(), 12), QByteArray("Li ??x      "));

        // Undefined bytes of the code page survive a decode and encode.
        const QByteArray odd("\x81\x8D\x8F\x90\x9D\xFF", 6);
        QCOMPARE(encodeWindows1252(decodeWindows1252(odd)), odd);

        // A stored text ends at its first NUL: the all-zero record reads as empty texts.
        TextField withNul{};
        std::memcpy(withNul.data(), "Al\0x", 4);
        QCOMPARE(fieldText(withNul), QStringLiteral("Al"));
        QCOMPARE(fieldText(TextField{}), QString());
    }

    void trimRemovesOnlyBlanks()
    {
        QCOMPARE(trimBlanks(QStringLiteral("  de la Cruz  ")), QStringLiteral("de la Cruz"));
        QCOMPARE(trimBlanks(QStringLiteral("\tAnn\t")), QStringLiteral("\tAnn\t"));
        QCOMPARE(trimBlanks(QStringLiteral("     ")), QString());
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
        QCOMPARE(PoolFile::recordCountOf(pool), 3.0);
    }

    void missingPoolIsCreatedEmpty()
    {
        const QString pool = path(QStringLiteral("new.Qvr"));
        std::vector<ProfileRecord> records(1);
        QString error;
        QVERIFY(PoolFile::readAll(pool, &records, &error));
        QVERIFY(records.empty());
        QVERIFY(QFileInfo::exists(pool));
        QCOMPARE(PoolFile::fileSize(pool), qint64(0));
        PoolFile file(pool);
        QVERIFY(file.openForReading(&error));
        QCOMPARE(file.recordCount(), 0.0);
        QCOMPARE(file.read(1), ProfileRecord());
    }

    void partialLastRecordReadsZeroPaddedAndIsLeftAlone()
    {
        const QString pool = path(QStringLiteral("partial.Qvr"));
        QByteArray bytes = poolBytes({person("Ann", "Lee")});
        bytes.append("Bob", 3);
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
        QCOMPARE(readFile(pool), bytes);  // reading never shortens or rewrites it
    }

    void failuresNameTheFileAndTheReason()
    {
        const QString pool = path(QStringLiteral("no-such-folder/team.Qvr"));
        std::vector<ProfileRecord> records;
        QString error;
        QVERIFY(!PoolFile::readAll(pool, &records, &error));
        QVERIFY2(error.contains(pool) && error.contains(QStringLiteral("No such file or directory")),
                 qPrintable(error));

        QVERIFY(!PoolFile::readAll(dir.path(), &records, &error));
        QVERIFY2(error.contains(QStringLiteral("folder")), qPrintable(error));

        error.clear();
        QVERIFY(!PoolFile::readAll(path(QStringLiteral("absent.Qvr")), &records, &error, PoolFile::Missing::Fail));
        QVERIFY2(error.contains(QStringLiteral("absent.Qvr")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("absent.Qvr"))));
    }

    void failedAppendLeavesNoPartialRecord()
    {
        const QString pool = path(QStringLiteral("limit.Qvr"));
        const QByteArray before = poolBytes({person("Ann", "Lee"), person("Bo", "Ng")});
        QVERIFY(writeFile(pool, before));

        // A file size limit makes the append stop half-way, as a full disk would.
        bool opened = false;
        bool written = false;
        QString error;
        {
            const FileSizeLimit limit(before.size() + 100);
            PoolFile file(pool);
            opened = file.openForWriting(&error);
            written = opened && file.write(3, person("Cy", "Oz"), &error);
        }
        QVERIFY(opened);
        QVERIFY(!written);
        QVERIFY2(error.contains(pool) && error.contains(QStringLiteral("File too large")), qPrintable(error));
        QCOMPARE(readFile(pool), before);
    }

    void replacedFileIsWholeOrUntouched()
    {
        const QString target = path(QStringLiteral("groups.txt"));
        QVERIFY(writeFile(target, "former content\r\n"));
        const QByteArray large(256 * 1024, 'x');
        QString reason;
        {
            const FileSizeLimit limit(64 * 1024);
            QVERIFY(!replaceFileContents(target, large, &reason));
        }
        QVERIFY2(reason.contains(QStringLiteral("File too large")), qPrintable(reason));
        QCOMPARE(readFile(target), QByteArray("former content\r\n"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("groups.txt*")}, QDir::Files),
                 QStringList({QStringLiteral("groups.txt")}));

        QVERIFY(replaceFileContents(target, large, &reason));
        QCOMPARE(readFile(target), large);
        QVERIFY(!replaceFileContents(path(QStringLiteral("no-such-folder/groups.txt")), large, &reason));
        QVERIFY(!reason.isEmpty());
    }

    void recordCountIsShownInItsShortestForm()
    {
        QCOMPARE(formatRecordCount(0), QStringLiteral("0"));
        QCOMPARE(formatRecordCount(32767), QStringLiteral("32767"));
        QCOMPARE(formatRecordCount(1.5), QStringLiteral("1.5"));
        QCOMPARE(formatRecordCount(250000), QStringLiteral("250000"));
    }
};

QTEST_GUILESS_MAIN(TestPoolFile)
#include "tst_poolfile.moc"
