// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/CsvFormat.h"

#include "pool/Windows1252.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <csv.h>

#include <algorithm>

namespace quorvia {
namespace {

// Blanks around an unquoted field are dropped; a TAB is not a blank here,
// since it may be the separator.
int isBlank(unsigned char c) { return c == CSV_SPACE; }

// Counts lines as the file shows them: CR LF, LF or a lone CR ends a line.
int lineBreaks(const char *data, std::size_t size)
{
    int count = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n')))
            ++count;
    }
    return count;
}

struct RowCollector {
    const std::function<void(const CsvRow &)> *onRow = nullptr;
    CsvRow row;
    int line = 1;  // where the parser stands
    bool afterCarriageReturn = false;

    static void field(void *data, std::size_t size, void *self)
    {
        auto *c = static_cast<RowCollector *>(self);
        if (c->row.fields.empty() && c->row.droppedFields == 0)
            c->row.line = c->line;
        // A line of nothing but separators must not become millions of fields.
        // Nor a field of megabytes a copy of megabytes: no cell of a list of
        // people is anywhere near kMaxCsvFieldBytes.
        if (c->row.fields.size() < std::size_t(kMaxCsvFields))
            c->row.fields.emplace_back(static_cast<const char *>(data),
                                       qsizetype(std::min<std::size_t>(size, kMaxCsvFieldBytes)));
        else if (std::any_of(static_cast<const char *>(data), static_cast<const char *>(data) + size,
                             [](char ch) { return ch != ' '; }))
            ++c->row.droppedFields;
        c->line += lineBreaks(static_cast<const char *>(data), size);
        c->afterCarriageReturn = false;
    }

    // With CSV_REPALL_NL every CR and LF outside a field comes here, so the
    // line count stays right across empty lines.
    static void rowEnd(int terminator, void *self)
    {
        auto *c = static_cast<RowCollector *>(self);
        if (!c->row.fields.empty()) {
            (*c->onRow)(c->row);
            c->row.fields.clear();
            c->row.droppedFields = 0;
        }
        if (terminator == CSV_CR || (terminator == CSV_LF && !c->afterCarriageReturn))
            ++c->line;
        c->afterCarriageReturn = terminator == CSV_CR;
    }
};

// What a spreadsheet takes for the start of a formula.
bool startsFormula(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@')
        || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// Apostrophes, then a formula's first character: the cells that get one more
// apostrophe when written, and lose it again when read.
bool isGuardedForm(const QString &cell)
{
    qsizetype i = 0;
    while (i < cell.size() && cell.at(i) == QLatin1Char('\''))
        ++i;
    return i < cell.size() && startsFormula(cell.at(i));
}

// A plain number ("-3", "+2.5") is shown as a number and runs nothing.
bool isPlainNumber(const QString &cell)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]+([.,][0-9]+)?$"));
    return number.match(cell).hasMatch();
}

bool needsQuotes(const QString &field)
{
    if (field.isEmpty())
        return false;
    if (field.front() == QLatin1Char(' ') || field.back() == QLatin1Char(' '))
        return true;
    return std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\t') || c == QLatin1Char('"')
            || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    });
}

// Whether the bytes hold a letter written as UTF-8 (a lead byte followed by
// its continuation bytes): then a file that is not UTF-8 as a whole mixes it
// with Windows-1252, where such pairs hardly ever stand.
bool holdsUtf8Letters(const QByteArray &bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (b[i] < 0xC2 || b[i] > 0xF4)
            continue;
        const int length = b[i] >= 0xF0 ? 4 : b[i] >= 0xE0 ? 3 : 2;
        if (i + length > n)
            return false;
        if (QByteArrayView(bytes.constData() + i, length).isValidUtf8())
            return true;
    }
    return false;
}

} // namespace

CsvText detectEncoding(const QByteArray &fileBytes)
{
    CsvText text;
    if (fileBytes.startsWith("\xFF\xFE") || fileBytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);  // the mark gives the byte order and is dropped
        text.bytes = QString(utf16.decode(fileBytes)).toUtf8();
        text.encodingName = QStringLiteral("UTF-16");
        return text;
    }
    text.bytes = fileBytes.startsWith(utf8ByteOrderMark()) ? fileBytes.mid(3) : fileBytes;
    text.utf8 = QByteArrayView(text.bytes).isValidUtf8();
    text.mixed = !text.utf8 && holdsUtf8Letters(text.bytes);
    text.encodingName = text.utf8 ? QStringLiteral("UTF-8")
        : text.mixed              ? QStringLiteral("UTF-8 and Windows-1252 mixed")
                                  : QStringLiteral("Windows-1252");
    return text;
}

QString decodeField(const QByteArray &field, bool utf8)
{
    return utf8 ? QString::fromUtf8(field) : decodeWindows1252(field);
}

char detectSeparator(const QByteArray &bytes)
{
    int commas = 0;
    int semicolons = 0;
    int tabs = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '\r' || c == '\n')
            break;
        else if (c == ',')
            ++commas;
        else if (c == ';')
            ++semicolons;
        else if (c == '\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return ';';
    if (tabs > commas && tabs > semicolons)
        return '\t';
    return ',';
}

bool readCsvRows(const QByteArray &bytes, char separator, const std::function<void(const CsvRow &)> &onRow,
                 CsvProgress *progress, QString *error)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_REPALL_NL) != 0) {
        *error = QStringLiteral("The CSV reader could not start.");
        return false;
    }
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    // The field buffer grows by this much at a time: in small steps a long
    // field would be copied over and over.
    csv_set_blk_size(&parser, 64 * 1024);
    csv_set_space_func(&parser, isBlank);
    RowCollector collector;
    collector.onRow = &onRow;

    // In slices, so that a long file shows its progress and can be stopped.
    constexpr qsizetype kSlice = 256 * 1024;
    bool ok = true;
    for (qsizetype at = 0; ok && at < bytes.size(); at += kSlice) {
        if (progress && progress->cancelled.load())
            ok = false;
        const auto length = std::size_t(std::min(kSlice, bytes.size() - at));
        if (ok && csv_parse(&parser, bytes.constData() + at, length, RowCollector::field, RowCollector::rowEnd,
                            &collector) != length) {
            *error = QString::fromUtf8(csv_strerror(csv_error(&parser)));
            ok = false;
        }
        if (progress)
            progress->bytesDone.store(at + qsizetype(length));
    }
    if (ok)
        csv_fini(&parser, RowCollector::field, RowCollector::rowEnd, &collector);
    csv_free(&parser);
    return ok;
}

QString formulaSafeCell(const QString &cell)
{
    if (isPlainNumber(cell) || !isGuardedForm(cell))
        return cell;
    return QLatin1Char('\'') + cell;
}

QString cellFromFormulaSafe(const QString &cell)
{
    if (cell.startsWith(QLatin1Char('\'')) && isGuardedForm(cell))
        return cell.mid(1);
    return cell;
}

QByteArray csvLine(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QString cell = formulaSafeCell(fields.at(i));
        const QByteArray bytes = cell.toUtf8();
        if (!needsQuotes(cell)) {
            line += bytes;
            continue;
        }
        QByteArray quoted(qsizetype(csv_write(nullptr, 0, bytes.constData(), std::size_t(bytes.size()))), '\0');
        csv_write(quoted.data(), std::size_t(quoted.size()), bytes.constData(), std::size_t(bytes.size()));
        line += quoted;
    }
    return line + "\r\n";
}

} // namespace quorvia
