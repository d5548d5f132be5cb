// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/GroupsCsv.h"
#include "csv/PeopleCsv.h"
#include "grouping/GroupQuality.h"
#include "pool/PoolAppend.h"
#include "pool/ProfileRules.h"
#include "pool/TraitCatalogue.h"
#include "pool/Windows1252.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"

#include <QStringEncoder>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;
using Problems = QStringList;  // "line kind: part of the message"

namespace {

const char *kindName(ImportProblem::Kind kind)
{
    using Kind = ImportProblem::Kind;
    return kind == Kind::LeftOut ? "left out" : kind == Kind::Changed ? "changed" : "note";
}

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

// People files read and written; ways a spreadsheet file can be misread, each
// found by what lands in the pool.
class TestPeopleCsv : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Everything a save can write comes back byte for byte.
    void roundTrip()
    {
        std::vector<ProfileRecord> pool{
            withTraits(person("Anna", "Smith", "Manager"), {0, 1, 3, 21}, {4, 7}, {5, 19}),
            person("Zoë", "Müller-Ørsted", "Chef, \"head\""), person("", "", "Driver"), person("Maximilianus", "X"),
            withTraits(person("€ ‰", "O'Neil; Jr", "a|b"), {}, {0}, {}), person("Lead", "Trail"),
            person("=1+1", "+cmd", "-2+3"), person("@SUM(A1)", "'=x", "-3")};
        const QByteArray csv = poolCsvBytes(pool);
        // A spreadsheet shows these as text, runs none of them as a formula.
        QVERIFY(csv.contains("\r\n'=1+1,'+cmd,'-2+3,") && csv.contains("\r\n'@SUM(A1),''=x,-3,"));
        const PeopleImport import = parsePeopleCsv(csv);
        QVERIFY2(import.failure.isEmpty() && import.problems.empty(), qPrintable(import.failure));
        std::vector<ProfileRecord> back;
        for (const ImportedRow &row : import.rows) back.push_back(row.record);
        const QString path = dir.filePath("round.Qvr");
        QVERIFY(writePool(path, {}));
        QString error;
        QVERIFY(appendRecords(path, back, &error));
        QCOMPARE(readFile(path), poolBytes(pool));
    }

    void hostile_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("imported");  // line: first name, last name, position as stored (12 chars)
        QTest::addColumn<Problems>("problems");
        const QByteArray header = "First name,Last name,Position,Traits,Works well with,Does not work well with\r\n";
        QTest::newRow("quotes, breaks, blank rows")
            << header + "\"Ann \"\"Nan\"\"\",Lee,\"two\nlines\",,,\r\n\r\n,,,,,\r\n\"O'Neil, Jr\",\"Lee\",,,,\r\n"
            << "" << QStringList{"6:O'Neil, Jr  |Lee         |            "}
            << Problems{"2 left out:Position \"two\\nlines\" holds a line break"};
        QTest::newRow("BOM, semicolons, any case and order")
            << QByteArray("\xEF\xBB\xBFposition;FIRST NAME;Email\nBoss;Zo\xC3\xAB;z@q\n") << ""
            << QStringList{"2:Zo\u00EB         |            |Boss        "}
            << Problems{"1 note:Column \"Email\" is not one Quorvia knows"};
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFEL\0a\0s\0t\0 \0n\0a\0m\0e\0\n\0\xA9\x03\n\0", 26)
                                << "" << QStringList{"2:            |O           |            "}
                                << Problems{"2 changed:holds letters a pool file cannot store; it is stored as \"O\" (\u03A9→O)"};
        QTest::newRow("unknown trait, plain letters, no text")
            << header + "Ann,,,Diligant,,\r\nBob,,,,Oldr;;Older|Nonsense,\r\n\xC5\x81uk\xC4\x85sz,\xC4\xB1\xC5\x9Bik,"
                        "\xD0\x98\xD0\xB2\xF0\x9F\x98\x80,,,\r\n,,,Creative,,\r\nC\x01y\r\n"
            << ""
            << QStringList{"2:Ann         |            |            ", "3:Bob         |            |            ",
                           "4:Lukasz      |isik        |Iv?         "}
            << Problems{"2 changed:Unknown trait \"Diligant\" in Traits is left out: did you mean \"Diligent\"?",
                        "3 changed:\"Oldr\" in Works well with is left out: did you mean \"Older\"?",
                        "3 changed:\"Nonsense\" in Works well with is left out: use the names",
                        "4 changed:it is stored as \"Lukasz\" (\u0141→L, \u0105→a)",
                        "4 changed:it is stored as \"isik\" (\u0131→i, \u015B→s)",
                        "4 changed:it is stored as \"Iv?\" (\u0418→I, \u0432→v, \U0001F600→?)",
                        "5 left out:no first name, last name or position",
                        "6 left out:First name \"C\\u0001y\" holds the control character U+0001, which"};
        // What a survey exports, what a spreadsheet shows as text, what mixes encodings.
        QTest::newRow("comma lists, formula guard, mixed encoding")
            << header + "'=1+1,'@SUM(A1),''-2,\"Creative, Technical\",,\r\nM\xFCller,Zo\xC3\xAB,,,,\r\n"
            << "" << QStringList{"2:=1+1        |@SUM(A1)    |'-2         ", "3:M\u00FCller      |Zo\u00EB         |            "}
            << Problems{"3 note:this line is not; it was read as Windows-1252"};
        QTest::newRow("long values cut, separators escaped")
            << header + "Ann,\"" + QByteArray(200, 'x') + "\",\"a\xE2\x80\xA8" "b\",,,\r\n" << ""
            << QStringList{"2:Ann         |xxxxxxxxxxxx|a?b         "}
            << Problems{"2 changed:Last name \"" + QString(80, 'x') + "…\" is longer",
                        "2 changed:Position \"a\\u2028b\" holds letters a pool file cannot store; it is stored as "
                        "\"a?b\" (\\u2028→?)"};
        QTest::newRow("NUL bytes") << header + QByteArray(1000, '\0') << "NUL byte (at byte 79)" << QStringList{}
                                   << Problems{};
        QTest::newRow("a line of separators")
            << header + "Ann" + QByteArray(100000, ',') + "x\r\n" << "" << QStringList{"2:Ann         |            |            "}
            << Problems{"2 note:more fields than the header"};
        QTest::newRow("over-long, trait rules, extra field")
            << header + "Maximilianus-Jo,Lee,,Independent; follower ; Comic,Older,older,x\r\n" << ""
            << QStringList{"2:Maximilianus|Lee         |            "}
            << Problems{"2 changed:will be cut where the bar is: \"Maximilianus|-Jo\"",
                        "2 changed:\"Independent\" and \"Follower\" are opposites in Traits; only \"Follower\"",
                        "2 changed:\"Older\" is in both Works well with and Does not work well with",
                        "2 note:more fields than the header"};
        QTest::newRow("empty file") << QByteArray("\xEF\xBB\xBF \r\n") << "empty" << QStringList{} << Problems{};
        QTest::newRow("header only") << header << "no people" << QStringList{} << Problems{};
        QTest::newRow("no header") << QByteArray("Ann,Lee\r\n") << "none of the columns" << QStringList{} << Problems{};
    }
    void hostile()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, failure);
        QFETCH(QStringList, imported);
        QFETCH(Problems, problems);
        const PeopleImport import = parsePeopleCsv(csv);
        QVERIFY2(failure.isEmpty() ? import.failure.isEmpty() : import.failure.contains(failure),
                 qPrintable(import.failure));
        QStringList rows;
        for (const ImportedRow &row : import.rows)
            rows << QStringLiteral("%1:%2|%3|%4").arg(row.line).arg(fieldText(row.record.FirstName),
                                                                  fieldText(row.record.LastName),
                                                                  fieldText(row.record.Position));
        QCOMPARE(rows, imported);
        QCOMPARE(int(import.problems.size()), int(problems.size()));
        int leftOutLines = 0;
        for (qsizetype i = 0; i < problems.size(); ++i) {
            const ImportProblem &p = import.problems[std::size_t(i)];
            const QString expected = problems[i];
            const QString head = QStringLiteral("%1 %2").arg(p.line).arg(kindName(p.kind));
            QVERIFY2(expected.startsWith(head + ':') && p.message.contains(expected.section(':', 1)),
                     qPrintable(head + ": " + p.message));
            const bool newLine = i == 0 || import.problems[std::size_t(i - 1)].line != p.line;
            leftOutLines += p.kind == ImportProblem::Kind::LeftOut && newLine;
        }
        QCOMPARE(import.rowsLeftOut, leftOutLines);
        // Cancelled from the progress dialog: nothing to add.
        CsvProgress stop;
        stop.cancelled = true;
        const PeopleImport cancelled = parsePeopleCsv(csv, &stop);
        QVERIFY(cancelled.rows.empty() && (cancelled.cancelled || !failure.isEmpty()));
        // Whatever the problems, every stored row is one the editor could have saved.
        for (const ImportedRow &row : import.rows) {
            ProfileRecord repaired = row.record;
            QVERIFY(!applyLoadedTraitRules(repaired));
        }
    }

    // Floods of problems are told up to a bound, not kept whole.
    void floodsAreBounded()
    {
        const QByteArray header = "First name,Traits\r\n";
        QByteArray many = header;
        for (int i = 0; i < 6000; ++i)
            many += "P" + QByteArray::number(i) + ",Nonsense\r\n";
        PeopleImport import = parsePeopleCsv(many);
        QCOMPARE(int(import.rows.size()), 6000);
        QCOMPARE(int(import.problems.size()), 5001);
        QVERIFY(import.problems.back().message.startsWith("1,000 more problems are not listed"));
        import = parsePeopleCsv(header + "Ann,\"" + QByteArray(1000, 'x').replace("x", "Nope;") + "\"\r\n");
        QCOMPARE(int(import.problems.size()), 6);
        QVERIFY(import.problems.back().message.startsWith("995 more unknown traits in Traits are left out."));
        QVERIFY(parsePeopleCsv(header + QByteArray(32768 * 2, 'x').replace("xx", "A\n")).failure
                    .contains("more than 32,767 rows of people"));
    }

    // A write that fails part-way leaves the pool as it was, a partial last record included.
    void failedAppend()
    {
        const QString path = dir.filePath("full.Qvr");
        const QByteArray before = poolBytes({person("Ann", "Lee"), person("Bob", "Ray")}) + QByteArray(100, 'x');
        QVERIFY(writeFile(path, before));
        std::vector<ProfileRecord> many(50, person("New", "Person"));
        QString error;
        {
            FileSizeLimit limit(before.size() + 3 * kRecordSize);
            QVERIFY(!appendRecords(path, many, &error));
        }
        QVERIFY2(error.contains("full.Qvr") && error.contains("File too large"), qPrintable(error));
        QCOMPARE(readFile(path), before);
        QVERIFY(appendRecords(path, {person("New", "Person")}, &error));
        QCOMPARE(readFile(path), before + QByteArray(kRecordSize - 100, '\0') + poolBytes({person("New", "Person")}));

        // Nor is a CSV file of any size read whole: one picked by mistake is refused.
        QFile huge(dir.filePath("huge.csv"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxPeopleCsvBytes + 1));
        huge.close();
        QVERIFY(readPeopleCsv(huge.fileName()).failure.contains("far too large"));
    }

    void groupsTable()
    {
        // A position shows only when its flag says so; a free slot is NONE whatever bytes it holds.
        ProfileRecord noFlag = person("Carl", "Lee, Jr", "Boss"), free = person("Gone", "Away", "Left");
        noFlag.HasPosition = kFalse;
        free.HasData = kFalse;
        GroupTable groups{2, 3,
                          {withTraits(person("Anna", "Smith", "Manager"), {10}, {4}, {}),
                           withTraits(person("", "Brown"), {4}, {}, {}), noFlag,
                           person("Eva", "Diaz", "Clerk"), person("", "", "Driver"), free}};
        QCOMPARE(groupsCsvBytes(groups, {{7, 2, 0, 4, 5, 0}, {0, 1}, {0, 1}, "team.Qvr"}),
                 QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,Pool\r\n"
                            "1,1,Anna,Smith,Manager,1,7,,,team.Qvr\r\n1,2,,Brown,,1,2,yes,,team.Qvr\r\n"
                            "1,3,Carl,\"Lee, Jr\",,0,,,,team.Qvr\r\n2,1,Eva,Diaz,Clerk,0,4,,yes,team.Qvr\r\n"
                            "2,2,,,Driver,0,5,,yes,team.Qvr\r\n2,3,NONE,,,,,,yes,team.Qvr\r\n"));
        // The scores agree with memberScore on a group with everything at once.
        GroupTable mixed{1, 5, {}};
        for (int i = 0; i < 5; ++i)
            mixed.slotRecords.push_back(withTraits(person("P", QString::number(i)), {i, 2 * i + 1, 20 - i},
                                                   {i + 3, 2 * i}, {i + 5, 21 - 2 * i}));
        const QList<QByteArray> lines = groupsCsvBytes(mixed).split('\n');
        for (int s = 0; s < 5; ++s)
            QCOMPARE(lines.at(s + 1).trimmed().split(',').at(5).toInt(), memberScore(mixed, 0, s));
    }

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

QTEST_GUILESS_MAIN(TestPeopleCsv)
#include "tst_peoplecsv.moc"
