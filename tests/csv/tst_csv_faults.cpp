// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/GroupsCsv.h"
#include "csv/PeopleCsv.h"
#include "pool/TraitCatalogue.h"
#include "pool/Windows1252.h"
#include "support/PoolFixtures.h"

#include <QStringEncoder>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

QByteArray utf16(QStringEncoder::Encoding encoding, const QString &text)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

QStringList storedNames(const PeopleImport &import)
{
    QStringList names;
    for (const ImportedRow &row : import.rows)
        names << trimmedField(row.record.FirstName) + QLatin1Char('|') + trimmedField(row.record.LastName);
    return names;
}

} // namespace

// Ways a spreadsheet file can be misread, each found by what lands in the pool.
class TestCsvFaults : public QObject {
    Q_OBJECT

private slots:
    // Only the header line counts, quoted separators do not, and a tie goes to
    // ',' before ';' before TAB.
    void separator_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<char>("separator");
        QTest::newRow("commas") << QByteArray("First name,Last name\nAnn,Lee\n") << ',';
        QTest::newRow("semicolons") << QByteArray("First name;Last name\nAnn;Lee\n") << ';';
        QTest::newRow("TABs") << QByteArray("First name\tLast name\nAnn\tLee\n") << '\t';
        QTest::newRow("rows below differ") << QByteArray("First name,Last name\nA;n;n;;;\nB;o;b;;;\n") << ',';
        QTest::newRow("lone CR ends the header") << QByteArray("First name;Last name\rA,n,n,,\r") << ';';
        QTest::newRow("quoted commas") << QByteArray("\"Name, first\";Last name\n") << ';';
        QTest::newRow("tie , ;") << QByteArray("First name,Last name;Position\n") << ',';
        QTest::newRow("tie , TAB") << QByteArray("First name\tLast name,Position\n") << ',';
        QTest::newRow("tie ; TAB") << QByteArray("First name\tLast name;Position\n") << ';';
        QTest::newRow("none") << QByteArray("Last name\nLee\n") << ',';
    }
    void separator()
    {
        QFETCH(QByteArray, csv);
        QTEST(parsePeopleCsv(csv).separator, "separator");
    }

    void encoding_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("encoding");
        const QString text = QStringLiteral("Last name;First name\nM\u00FCller;\u20ACZo\u00EB\n");
        QTest::newRow("UTF-16 LE") << utf16(QStringEncoder::Utf16LE, text) << "UTF-16";
        QTest::newRow("UTF-16 BE") << utf16(QStringEncoder::Utf16BE, text) << "UTF-16";
        QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << "UTF-8";
        QTest::newRow("UTF-8") << text.toUtf8() << "UTF-8";
        QTest::newRow("Windows-1252") << encodeWindows1252(text) << "Windows-1252";
    }
    void encoding()
    {
        QFETCH(QByteArray, csv);
        const PeopleImport import = parsePeopleCsv(csv);
        QVERIFY2(import.failure.isEmpty(), qPrintable(import.failure));
        QTEST(import.encodingName, "encoding");
        QCOMPARE(storedNames(import), QStringList{QStringLiteral("\u20ACZo\u00EB|M\u00FCller")});
    }

    // What the pool cannot hold is refused with its reason, never stored.
    void unstorable_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("reason");
        QTest::newRow("TAB inside") << QByteArray("First name,Last name\nAn\tn,Lee\n") << "a TAB";
        QTest::newRow("TAB at the end") << QByteArray("First name,Last name\nAnn\t,Lee\n") << "a TAB";
        QTest::newRow("quoted TAB") << QByteArray("First name,Last name\n\"\tAnn\",Lee\n") << "a TAB";
        QTest::newRow("line break") << QByteArray("First name,Last name\n\"An\r\nn\",Lee\n") << "a line break";
        QTest::newRow("DEL") << QByteArray("First name,Last name\nAn\x7Fn,Lee\n") << "U+007F";
        QTest::newRow("C1") << QByteArray("First name,Last name\nAn\xC2\x9Bn,Lee\n") << "U+009B";
    }
    void unstorable()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, reason);
        const PeopleImport import = parsePeopleCsv(csv + "Bob,Ray\n");
        QCOMPARE(storedNames(import), QStringList{"Bob|Ray"});
        QCOMPARE(import.rowsLeftOut, 1);
        QCOMPARE(int(import.problems.size()), 1);
        QCOMPARE(import.problems[0].kind, ImportProblem::Kind::LeftOut);
        QCOMPARE(import.problems[0].line, 2);
        QVERIFY2(import.problems[0].message.contains(reason), qPrintable(import.problems[0].message));
    }

    // Opposites are the catalogue's pairs from Independent/Follower on;
    // Creative and Technical are no pair.
    void oppositeTraits_data()
    {
        QTest::addColumn<QString>("traits");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("note");  // the one change named, or none
        QTest::newRow("Creative and Technical") << "Creative; Technical" << "Creative; Technical" << "";
        QTest::newRow("with a pair") << "Creative|Technical|Independent|Follower" << "Creative; Technical; Follower"
                                     << "\"Independent\" and \"Follower\" are opposites";
        QTest::newRow("last pair") << "Expert; Beginner; Technical" << "Technical; Beginner"
                                   << "\"Expert\" and \"Beginner\" are opposites";
    }
    void oppositeTraits()
    {
        QFETCH(QString, traits);
        QFETCH(QString, note);
        const PeopleImport import = parsePeopleCsv("Last name,Traits\nLee,\"" + traits.toUtf8() + "\"\n");
        QCOMPARE(int(import.rows.size()), 1);
        QTEST(traitNames(import.rows[0].record.OwnAttributes), "kept");
        QCOMPARE(int(import.problems.size()), note.isEmpty() ? 0 : 1);
        if (!note.isEmpty()) {
            QCOMPARE(import.problems[0].kind, ImportProblem::Kind::Changed);
            QVERIFY2(import.problems[0].message.contains(note), qPrintable(import.problems[0].message));
        }
    }
};

QTEST_GUILESS_MAIN(TestCsvFaults)
#include "tst_csv_faults.moc"
