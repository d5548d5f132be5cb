// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"

#include "csv/ImportWording.h"
#include "csv/PlainLetters.h"
#include "pool/PoolAppend.h"
#include "pool/ProfileRules.h"
#include "pool/TraitCatalogue.h"
#include "pool/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <array>
#include <new>
#include <optional>

namespace quorvia {
namespace {

// A file of thousands of bad rows makes thousands of problems: past a few
// thousand nobody reads them, and they must not take more memory than the file.
constexpr std::size_t kListedProblems = 5000;

enum Column { FirstName, LastName, Position, Traits, WorksWellWith, DoesNotWorkWellWith, ColumnCount };

// Why the pool cannot store `text` even with plain letters, or nothing when
// it can. Control characters are refused as the editor refuses them: a line
// break would split the person's line in the listing and the export.
std::optional<QString> unstorable(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return QStringLiteral("a line break");
        if (c == QLatin1Char('\t'))
            return QStringLiteral("a TAB");
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("the control character U+%1")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return std::nullopt;
}

// Names in a trait list end at ';', '|' or ',' (a quoted cell of a survey's
// multiple choices), and at a line break within the cell.
bool endsTraitName(QChar c)
{
    return c == QLatin1Char(';') || c == QLatin1Char('|') || c == QLatin1Char(',') || c == QLatin1Char('\r')
        || c == QLatin1Char('\n');
}

int columnNamed(const QString &name)
{
    const QStringList &columns = peopleCsvColumns();
    for (int c = 0; c < ColumnCount; ++c) {
        if (columns.at(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

struct Header {
    std::array<int, ColumnCount> index;  // field index of each column, -1 when absent
    int fieldCount = 0;
};

class PeopleParser {
public:
    PeopleParser(bool utf8, bool mixed) : utf8_(utf8), mixed_(mixed)
    {
        for (int t = 0; t < kTraitCount; ++t)
            traits_.insert(traitCatalogue().at(t).toLower(), t);
    }

    void readHeader(const CsvRow &row, PeopleImport &result)
    {
        header_.index.fill(-1);
        header_.fieldCount = int(row.fields.size());
        for (int f = 0; f < header_.fieldCount; ++f) {
            const QString name = decodeField(row.fields[std::size_t(f)], utf8_).trimmed();
            const int column = columnNamed(name);
            if (column >= 0 && header_.index[std::size_t(column)] < 0) {
                header_.index[std::size_t(column)] = f;
                continue;
            }
            if (name.isEmpty())
                continue;  // spreadsheets add empty columns at the end
            const QString message = column >= 0
                                        ? QStringLiteral("Column %1 appears twice; the second one (field %2) is "
                                                         "ignored.").arg(quoted(name)).arg(f + 1)
                                        : QStringLiteral("Column %1 is not one Quorvia knows; it is ignored.")
                                              .arg(quoted(name));
            result.problems.push_back({row.line, ImportProblem::Kind::Note, message});
        }
        knownColumns_ = std::any_of(header_.index.cbegin(), header_.index.cend(), [](int i) { return i >= 0; });
    }

    bool knownColumns() const { return knownColumns_; }

    void readPerson(const CsvRow &row, PeopleImport &result)
    {
        // Blanks as a save sees them (a text of other white space is a text);
        // a blank is the same byte in every encoding read here.
        const auto isBlank = [](const QByteArray &f) {
            return std::all_of(f.cbegin(), f.cend(), [](char c) { return c == ' '; });
        };
        if (std::all_of(row.fields.cbegin(), row.fields.cend(), isBlank))
            return;  // an empty row of the sheet

        problems_.clear();
        leftOut_ = false;
        readAsWindows1252_ = false;
        line_ = row.line;
        ProfileRecord record;
        const QString first = text(row, FirstName);
        const QString last = text(row, LastName);
        const QString position = text(row, Position);
        setSavedTexts(record, first, last, position);
        if (!leftOut_ && !isSet(record.HasData))
            leftOut(QStringLiteral("The row has no first name, last name or position, so there is no one to "
                                   "import. The row is left out."));
        traitList(row, Traits, record.OwnAttributes);
        traitList(row, WorksWellWith, record.CompatibleWith);
        traitList(row, DoesNotWorkWellWith, record.IncompatibleWith);
        if (!leftOut_)
            noteRuleChanges(record);
        if (readAsWindows1252_)
            problems_.push_back({line_, ImportProblem::Kind::Note,
                                 QStringLiteral("The file is mostly UTF-8, but this line is not; it was read as "
                                                "Windows-1252. Check its names.")});
        if (row.droppedFields > 0
            || (int(row.fields.size()) > header_.fieldCount
                && std::any_of(row.fields.cbegin() + header_.fieldCount, row.fields.cend(),
                               [&](const QByteArray &f) { return !isBlank(f); })))
            problems_.push_back({line_, ImportProblem::Kind::Note,
                                 QStringLiteral("The row has more fields than the header names; the extra ones are "
                                                "ignored.")});

        for (ImportProblem &problem : problems_) {
            if (result.problems.size() < kListedProblems)
                result.problems.push_back(std::move(problem));
            else
                ++result.problemsNotListed;
        }
        if (leftOut_)
            ++result.rowsLeftOut;
        else
            result.rows.push_back({row.line, record});
    }

private:
    QString field(const CsvRow &row, Column column)
    {
        const int f = header_.index[std::size_t(column)];
        if (f < 0 || f >= int(row.fields.size()))
            return QString();
        const QByteArray &bytes = row.fields[std::size_t(f)];
        if (!mixed_)
            return decodeField(bytes, utf8_);
        const bool utf8 = QByteArrayView(bytes).isValidUtf8();
        readAsWindows1252_ = readAsWindows1252_ || !utf8;
        return decodeField(bytes, utf8);
    }

    void leftOut(const QString &message)
    {
        leftOut_ = true;
        problems_.push_back({line_, ImportProblem::Kind::LeftOut, message});
    }

    // One of the three texts, checked; the caller stores it as a save does.
    QString text(const CsvRow &row, Column column)
    {
        const QString name = peopleCsvColumns().at(column);
        const QString written = cellFromFormulaSafe(trimBlanks(field(row, column)));
        if (const std::optional<QString> bad = unstorable(written)) {
            leftOut(QStringLiteral("%1 %2 holds %3, which a pool file cannot store. Replace or remove it in the "
                                   "file; the row is left out.").arg(name, quoted(written), *bad));
            return QString();
        }
        QStringList replacements;
        const QString value = plainLetters(written, &replacements);
        if (!replacements.isEmpty())
            problems_.push_back({line_, ImportProblem::Kind::Changed,
                                 QStringLiteral("%1 %2 holds letters a pool file cannot store; it is stored as %3 "
                                                "(%4).")
                                     .arg(name, quoted(written), quoted(value),
                                          escaped(replacements.join(QStringLiteral(", "))))});
        if (value.size() > kTextSize) {
            problems_.push_back({line_, ImportProblem::Kind::Changed,
                                 QStringLiteral("%1 %2 is longer than %3 characters and will be cut where the bar "
                                                "is: %4. Shorten it in the file to choose the cut yourself.")
                                     .arg(name, quoted(value))
                                     .arg(kTextSize)
                                     .arg(quoted(value.left(kTextSize) + QLatin1Char('|') + value.mid(kTextSize)))});
        }
        return value;
    }

    void traitList(const CsvRow &row, Column column, TraitFlags &flags)
    {
        // A cell of thousands of unknown names: the first few are told one
        // by one (with a suggestion each), the rest only counted.
        constexpr int kToldUnknown = 5;
        int unknown = 0;
        const QString list = field(row, column);
        qsizetype start = 0;
        for (qsizetype end = 0; end <= list.size(); ++end) {
            if (end < list.size() && !endsTraitName(list.at(end)))
                continue;
            const QString name = list.mid(start, end - start).trimmed();
            start = end + 1;
            if (name.isEmpty())
                continue;
            const auto found = traits_.constFind(name.toLower());
            if (found != traits_.cend()) {
                flags[std::size_t(*found)] = kTrue;
                continue;
            }
            if (++unknown > kToldUnknown)
                continue;
            const QString suggestion = closestTrait(name);
            problems_.push_back({line_, ImportProblem::Kind::Changed,
                                 QStringLiteral("Unknown trait %1 in %2 is left out: %3")
                                     .arg(quoted(name), peopleCsvColumns().at(column),
                                          suggestion.isEmpty()
                                              ? QStringLiteral("use the names of the traits in the profile editor.")
                                              : QStringLiteral("did you mean %1? Correct it in the file to keep it.")
                                                    .arg(quoted(suggestion)))});
        }
        if (unknown > kToldUnknown)
            problems_.push_back({line_, ImportProblem::Kind::Changed,
                                 QStringLiteral("%1 more unknown traits in %2 are left out.")
                                     .arg(unknown - kToldUnknown)
                                     .arg(peopleCsvColumns().at(column))});
    }

    void noteRuleChanges(ProfileRecord &record)
    {
        const ProfileRecord before = record;
        if (!applyLoadedTraitRules(record))
            return;
        const QStringList &names = traitCatalogue();
        const QString &columns = peopleCsvColumns().at(Traits);
        for (int t = 2; t < kTraitCount; t += 2) {
            if (isSet(before.OwnAttributes[std::size_t(t)]) && isSet(before.OwnAttributes[std::size_t(t + 1)]))
                problems_.push_back({line_, ImportProblem::Kind::Changed,
                                     QStringLiteral("%1 and %2 are opposites in %3; only %2 is kept, as the profile "
                                                    "editor would show it.")
                                         .arg(quoted(names.at(t)), quoted(names.at(t + 1)), columns)});
        }
        for (int t = 0; t < kTraitCount; ++t) {
            if (isSet(before.CompatibleWith[std::size_t(t)]) && isSet(before.IncompatibleWith[std::size_t(t)]))
                problems_.push_back({line_, ImportProblem::Kind::Changed,
                                     QStringLiteral("%1 is in both %2 and %3; it is kept only in %3, as the profile "
                                                    "editor would show it.")
                                         .arg(quoted(names.at(t)), peopleCsvColumns().at(WorksWellWith),
                                              peopleCsvColumns().at(DoesNotWorkWellWith))});
        }
    }

    bool utf8_;
    bool mixed_;
    bool readAsWindows1252_ = false;  // a field of the row being read
    QHash<QString, int> traits_;
    Header header_;
    bool knownColumns_ = false;
    std::vector<ImportProblem> problems_;  // of the row being read
    bool leftOut_ = false;
    int line_ = 0;
};

// What the last problem line says when more were found than listed.
void noteUnlisted(PeopleImport &result)
{
    if (result.problemsNotListed == 0)
        return;
    result.problems.push_back({result.problems.back().line, ImportProblem::Kind::Note,
                               QStringLiteral("%1 more problems are not listed; correct the ones above and read the "
                                              "file again.")
                                   .arg(QLocale(QLocale::English, QLocale::UnitedStates)
                                            .toString(qulonglong(result.problemsNotListed)))});
}

} // namespace

void markAlreadyInPool(PeopleImport &import, const std::vector<ProfileRecord> &pool)
{
    QSet<QString> present;
    for (const ProfileRecord &record : pool)
        present.insert(personKey(record));
    for (ImportedRow &row : import.rows)
        row.alreadyInPool = present.contains(personKey(row.record));
}

const QStringList &peopleCsvColumns()
{
    static const QStringList columns{QStringLiteral("First name"), QStringLiteral("Last name"),
                                     QStringLiteral("Position"), QStringLiteral("Traits"),
                                     QStringLiteral("Works well with"), QStringLiteral("Does not work well with")};
    return columns;
}

PeopleImport parsePeopleCsv(const QByteArray &fileBytes, CsvProgress *progress)
{
    PeopleImport result;
    const CsvText text = detectEncoding(fileBytes);
    result.encodingName = text.encodingName;
    result.separator = detectSeparator(text.bytes);
    if (text.bytes.trimmed().isEmpty()) {
        result.failure = QStringLiteral("The file is empty: it has no header row and no people.");
        return result;
    }
    // Text never holds NUL bytes: this is a spreadsheet's own format, an
    // image or a damaged file, and reading it on would only cost time.
    if (const qsizetype nul = text.bytes.indexOf('\0'); nul >= 0) {
        result.failure = QStringLiteral("The file holds a NUL byte (at byte %1), so it is not a CSV text file. Save "
                                        "the list of people as CSV from the spreadsheet program and import that file.")
                             .arg(nul + 1);
        return result;
    }

    PeopleParser parser(text.utf8, text.mixed);
    bool headerRead = false;
    bool tooMany = false;
    QString error;
    const bool read = readCsvRows(
        text.bytes, result.separator,
        [&](const CsvRow &row) {
            if (!headerRead) {
                headerRead = true;
                parser.readHeader(row, result);
            } else if (parser.knownColumns() && !tooMany) {
                parser.readPerson(row, result);
                // No pool takes more: reading on would only fill the memory.
                tooMany = int(result.rows.size()) + result.rowsLeftOut > kMaxPoolPeople;
            }
        },
        progress, &error);
    if (read && tooMany)
        error = QStringLiteral("The file holds more than %1 rows of people, more than any pool can hold. Split it "
                               "into smaller files.").arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(kMaxPoolPeople));
    noteUnlisted(result);

    if (!read || tooMany || !parser.knownColumns() || (result.rows.empty() && result.rowsLeftOut == 0)) {
        result.cancelled = !read && error.isEmpty();
        if (!read || tooMany)
            result.failure = error.isEmpty() ? QStringLiteral("The import was cancelled.") : error;
        else if (!parser.knownColumns())
            result.failure = QStringLiteral("The first line names none of the columns %1. It must be a header row "
                                            "naming the columns of the people below it.")
                                 .arg(peopleCsvColumns().join(QStringLiteral(", ")));
        else
            result.failure = QStringLiteral("The file has a header row but no people below it.");
        result.rows.clear();
        result.problems.clear();
    }
    return result;
}

PeopleImport readPeopleCsv(const QString &path, CsvProgress *progress)
{
    PeopleImport refused;
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    // A device or pipe would be read without end.
    if (info.exists() && !info.isFile()) {
        refused.failure = QStringLiteral("Could not read \"%1\": it is not a regular file.").arg(name);
        return refused;
    }
    // Reading takes a few times the file's size in memory; no list of people
    // comes near this size, and a file picked by mistake must not end the program.
    if (info.size() > kMaxPeopleCsvBytes) {
        refused.failure = QStringLiteral("Could not read \"%1\": it is %2, far too large to be a list of people "
                                         "(files over %3 are not read).")
                              .arg(name,
                                   QLocale::c().formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat),
                                   QLocale::c().formattedDataSize(kMaxPeopleCsvBytes, 0,
                                                                  QLocale::DataSizeTraditionalFormat));
        return refused;
    }
    try {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            refused.failure = QStringLiteral("Could not read \"%1\": %2.").arg(name, file.errorString());
            return refused;
        }
        return parsePeopleCsv(bytes, progress);
    } catch (const std::bad_alloc &) {
        refused.failure = QStringLiteral("Could not read \"%1\": there is not enough memory.").arg(name);
        return refused;
    }
}

QByteArray poolCsvBytes(const std::vector<ProfileRecord> &records)
{
    QByteArray bytes = utf8ByteOrderMark() + csvLine(peopleCsvColumns());
    bytes.reserve(bytes.size() + qsizetype(records.size()) * 96);
    for (const ProfileRecord &r : records)
        bytes += csvLine({trimmedField(r.FirstName), trimmedField(r.LastName), trimmedField(r.Position),
                          traitNames(r.OwnAttributes), traitNames(r.CompatibleWith),
                          traitNames(r.IncompatibleWith)});
    return bytes;
}

} // namespace quorvia
