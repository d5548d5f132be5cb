#include "csv/PeopleCsv.h"

#include "pool/ProfileRules.h"
#include "pool/TraitCatalogue.h"
#include "pool/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>
#include <new>
#include <optional>

namespace quorvia {
namespace {

enum Column { FirstName, LastName, Position, Traits, WorksWellWith, DoesNotWorkWellWith, ColumnCount };

// A value as a message shows it: in quotes, control characters written as
// escapes so that every message stays on one line.
QString quoted(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            shown += QStringLiteral("\\t");
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

// Edit distance, for the "did you mean" of an unknown trait.
int distance(const QString &a, const QString &b)
{
    std::vector<int> row(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[std::size_t(j)];
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row.back();
}

QString closestTrait(const QString &unknown)
{
    const QString wanted = unknown.toLower();
    QString best;
    int bestDistance = std::max(2, int(wanted.size()) / 3) + 1;
    for (const QString &trait : traitCatalogue()) {
        const QString name = trait.toLower();
        const int d = wanted.size() >= 3 && name.startsWith(wanted) ? 1 : distance(wanted, name);
        if (d < bestDistance) {
            bestDistance = d;
            best = trait;
        }
    }
    return best;
}

// Why the pool cannot store `text`, or nothing when it can. Control
// characters are refused as the editor refuses them: a line break would
// split the person's line in the listing and the export.
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
    if (decodeWindows1252(encodeWindows1252(text)) == text)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const qsizetype width = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, width);
        if (decodeWindows1252(encodeWindows1252(character)) != character)
            return quoted(character);
        i += width - 1;
    }
    return std::nullopt;
}

// Names in a trait list end at ';' or '|', and at a line break within the cell.
bool endsTraitName(QChar c)
{
    return c == QLatin1Char(';') || c == QLatin1Char('|') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
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
    explicit PeopleParser(bool utf8) : utf8_(utf8)
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
        if (int(row.fields.size()) > header_.fieldCount
            && std::any_of(row.fields.cbegin() + header_.fieldCount, row.fields.cend(),
                           [&](const QByteArray &f) { return !isBlank(f); }))
            problems_.push_back({line_, ImportProblem::Kind::Note,
                                 QStringLiteral("The row has more fields than the header names; the extra ones are "
                                                "ignored.")});

        result.problems.insert(result.problems.end(), problems_.begin(), problems_.end());
        if (leftOut_)
            ++result.rowsLeftOut;
        else
            result.rows.push_back({row.line, record});
    }

private:
    QString field(const CsvRow &row, Column column) const
    {
        const int f = header_.index[std::size_t(column)];
        return f >= 0 && f < int(row.fields.size()) ? decodeField(row.fields[std::size_t(f)], utf8_) : QString();
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
        const QString value = trimBlanks(field(row, column));
        if (const std::optional<QString> bad = unstorable(value)) {
            leftOut(QStringLiteral("%1 %2 holds %3, which a pool file cannot store. Replace or remove it in the "
                                   "file; the row is left out.").arg(name, quoted(value), *bad));
            return QString();
        }
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
            const QString suggestion = closestTrait(name);
            leftOut(QStringLiteral("Unknown trait %1 in %2: %3 The row is left out.")
                        .arg(quoted(name), peopleCsvColumns().at(column),
                             suggestion.isEmpty()
                                 ? QStringLiteral("use the names of the traits in the profile editor.")
                                 : QStringLiteral("did you mean %1? Correct it in the file.").arg(quoted(suggestion))));
        }
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
    QHash<QString, int> traits_;
    Header header_;
    bool knownColumns_ = false;
    std::vector<ImportProblem> problems_;  // of the row being read
    bool leftOut_ = false;
    int line_ = 0;
};

} // namespace

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

    PeopleParser parser(text.utf8);
    bool headerRead = false;
    QString error;
    const bool read = readCsvRows(
        text.bytes, result.separator,
        [&](const CsvRow &row) {
            if (!headerRead) {
                headerRead = true;
                parser.readHeader(row, result);
            } else if (parser.knownColumns()) {
                parser.readPerson(row, result);
            }
        },
        progress, &error);

    if (!read || !parser.knownColumns() || (result.rows.empty() && result.rowsLeftOut == 0)) {
        result.cancelled = !read && error.isEmpty();
        if (!read)
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
