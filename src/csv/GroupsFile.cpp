// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/GroupsFile.h"

#include "csv/CsvFormat.h"
#include "grouping/GroupListing.h"
#include "pool/Windows1252.h"

#include <QHash>

#include <map>

namespace quorvia {
namespace {

// Far beyond any pool (32,767 people); stops a damaged file from asking for
// a table of billions of slots.
constexpr long long kMaxSlots = 1 << 20;

// One line of the file that names a person or a free slot.
struct SlotLine {
    int line = 0;
    int group = 0;  // from 0
    int slot = 0;   // from 0
    bool free = false;
    QString first, last, position;  // CSV: the three names
    QString text;                   // the document: the slot's text
    int recordNumber = 0;
    bool pinned = false;
    bool groupPinned = false;
};

QString lineText(int line) { return QStringLiteral("Line %1").arg(line); }

bool isYes(const QString &text)
{
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("yes") || t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("x");
}

// A spreadsheet may keep the apostrophe that guards a text starting with a
// formula sign; the name is the text after it.
QString withoutFormulaGuard(QString text)
{
    text = text.trimmed();
    if (text.size() > 1 && text.front() == QLatin1Char('\'')
        && QStringLiteral("=+-@\t\r").contains(text.at(1)))
        text.remove(0, 1);
    return text;
}

bool namesMatch(const ProfileRecord &r, const SlotLine &line)
{
    if (!isPerson(r))
        return false;
    if (!line.text.isNull()) {
        const std::optional<QString> text = SlotText(r);
        return text && *text == line.text;
    }
    const QString position = isSet(r.HasPosition) ? trimmedField(r.Position) : QString();
    return trimmedField(r.FirstName) == line.first && trimmedField(r.LastName) == line.last
        && position == line.position;
}

QString personText(const SlotLine &line)
{
    if (!line.text.isNull())
        return QLatin1Char('"') + line.text + QLatin1Char('"');
    QString name = line.last;
    if (!line.first.isEmpty())
        name += (name.isEmpty() ? QString() : QStringLiteral(", ")) + line.first;
    if (!line.position.isEmpty())
        name += QStringLiteral(" (") + line.position + QLatin1Char(')');
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QByteArray bytesOf(const ProfileRecord &record)
{
    QByteArray bytes(kRecordSize, Qt::Uninitialized);
    record.toBytes(bytes.data());
    return bytes;
}

bool readCsvLines(const QByteArray &fileBytes, std::vector<SlotLine> *lines, QString *poolName, QString *error)
{
    const CsvText text = detectEncoding(fileBytes);
    std::vector<CsvRow> rows;
    QString readError;
    readCsvRows(text.bytes, detectSeparator(text.bytes), [&](const CsvRow &row) { rows.push_back(row); }, nullptr,
                &readError);
    if (!readError.isEmpty()) {
        *error = readError;
        return false;
    }
    if (rows.empty()) {
        *error = QStringLiteral("The file holds no groups.");
        return false;
    }
    QHash<QString, int> column;
    for (std::size_t i = 0; i < rows.front().fields.size(); ++i)
        column.insert(decodeField(rows.front().fields[i], text.utf8).trimmed().toLower(), int(i));
    for (const char *needed : {"group", "slot", "first name", "last name", "position"}) {
        if (!column.contains(QLatin1String(needed))) {
            *error = QStringLiteral("This is not a groups file: its first line has no column \"%1\".")
                         .arg(QString::fromLatin1(needed));
            return false;
        }
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow &row = rows[r];
        auto field = [&](const char *name) {
            const int at = column.value(QLatin1String(name), -1);
            return at >= 0 && std::size_t(at) < row.fields.size() ? decodeField(row.fields[std::size_t(at)], text.utf8)
                                                                  : QString();
        };
        SlotLine line;
        line.line = row.line;
        bool groupOk = false, slotOk = false;
        line.group = field("group").trimmed().toInt(&groupOk) - 1;
        line.slot = field("slot").trimmed().toInt(&slotOk) - 1;
        if (!groupOk || !slotOk || line.group < 0 || line.slot < 0 || line.group >= kMaxSlots
            || line.slot >= kMaxSlots) {
            *error = lineText(row.line) + QStringLiteral(": the group and the slot must be whole numbers from 1.");
            return false;
        }
        line.first = withoutFormulaGuard(field("first name"));
        line.last = withoutFormulaGuard(field("last name"));
        line.position = withoutFormulaGuard(field("position"));
        const QString number = field("record").trimmed();
        // A person whose first name is NONE has a score and a number.
        line.free = line.first == QLatin1String("NONE") && line.last.isEmpty() && line.position.isEmpty()
            && number.isEmpty() && field("score").trimmed().isEmpty();
        if (!number.isEmpty()) {
            bool ok = false;
            line.recordNumber = number.toInt(&ok);
            if (!ok || line.recordNumber < 1) {
                *error = lineText(row.line) + QStringLiteral(": \"%1\" is not a record number.").arg(number);
                return false;
            }
        }
        line.pinned = isYes(field("pinned"));
        line.groupPinned = isYes(field("group pinned"));
        if (poolName->isEmpty())
            *poolName = field("pool").trimmed();
        lines->push_back(line);
    }
    return true;
}

// The document: "Quorvia", two empty lines, "Groups", then per group
// "Group N" and its slot lines (empty lines between carry nothing).
bool readDocumentLines(const QByteArray &fileBytes, std::vector<SlotLine> *lines, QString *error)
{
    QByteArray bytes = fileBytes;
    if (bytes.startsWith(utf8ByteOrderMark()))
        bytes.remove(0, 3);
    const bool utf8 = !QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter);
    const QList<QByteArray> raw = bytes.split('\n');
    int group = -1;
    int slot = 0;
    bool heading = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray b = raw[i];
        if (b.endsWith('\r'))
            b.chop(1);
        // An export is Windows-1252; the command line's own output is UTF-8.
        const QString text = utf8 ? QString::fromUtf8(b) : decodeWindows1252(b);
        const int lineNumber = int(i) + 1;
        if (text.trimmed().isEmpty())
            continue;
        if (!heading) {
            if (text == QLatin1String("Quorvia"))
                continue;
            if (text != QLatin1String("Groups")) {
                *error = QStringLiteral("This is not a groups file: it is neither the CSV of saved groups nor an "
                                        "exported groups document.");
                return false;
            }
            heading = true;
            continue;
        }
        if (text.startsWith(QLatin1String("Group "))) {
            bool ok = false;
            const int number = text.mid(6).toInt(&ok);
            if (ok && number == group + 2) {
                ++group;
                slot = 0;
                continue;
            }
        }
        if (group < 0) {
            *error = lineText(lineNumber) + QStringLiteral(": a person before the first \"Group 1\" line.");
            return false;
        }
        SlotLine line;
        line.line = lineNumber;
        line.group = group;
        line.slot = slot++;
        line.free = text == QLatin1String("NONE");
        line.text = text;
        lines->push_back(line);
    }
    if (!heading) {
        *error = QStringLiteral("This is not a groups file: it is neither the CSV of saved groups nor an "
                                "exported groups document.");
        return false;
    }
    return true;
}

} // namespace

bool readGroupsFile(const QByteArray &bytes, const std::vector<ProfileRecord> &pool, const QString &poolName,
                    GroupsFile *out, QString *error)
{
    GroupsFile file;
    std::vector<SlotLine> lines;
    const CsvText probe = detectEncoding(bytes.left(4096));
    file.fromDocument = !probe.bytes.trimmed().toLower().startsWith("group");
    if (file.fromDocument ? !readDocumentLines(bytes, &lines, error)
                          : !readCsvLines(bytes, &lines, &file.poolName, error))
        return false;

    // The table's shape: every group and slot that a line names.
    int numGroups = 0, groupSize = 0;
    for (const SlotLine &line : lines) {
        numGroups = std::max(numGroups, line.group + 1);
        groupSize = std::max(groupSize, line.slot + 1);
    }
    if (numGroups == 0) {
        *error = QStringLiteral("The file holds no groups.");
        return false;
    }
    if (static_cast<long long>(numGroups) * groupSize > kMaxSlots) {
        *error = QStringLiteral("The file names %1 groups of %2 places: far more than any pool holds.")
                     .arg(numGroups)
                     .arg(groupSize);
        return false;
    }
    file.groups = GroupTable{numGroups, groupSize, std::vector<ProfileRecord>(std::size_t(numGroups) * std::size_t(groupSize))};
    file.recordNumbers.assign(file.groups.slotRecords.size(), 0);
    file.personPins.assign(file.groups.slotRecords.size(), 0);
    file.groupPins.assign(std::size_t(numGroups), 0);

    std::map<std::size_t, int> lineOfSlot;
    for (const SlotLine &line : lines) {
        const std::size_t at = std::size_t(line.group) * std::size_t(groupSize) + std::size_t(line.slot);
        if (auto [it, added] = lineOfSlot.emplace(at, line.line); !added) {
            *error = lineText(line.line) + QStringLiteral(": Group %1, slot %2 is on line %3 already.")
                                               .arg(line.group + 1)
                                               .arg(line.slot + 1)
                                               .arg(it->second);
            return false;
        }
        if (line.groupPinned)
            file.groupPins[std::size_t(line.group)] = 1;
    }

    // Record numbers count only for the pool the file was saved from.
    const bool samePool = file.poolName.isEmpty() || file.poolName == poolName;
    std::vector<int> lineOfRecord(pool.size() + 1, 0);
    std::vector<const SlotLine *> unmatched;
    for (const SlotLine &line : lines) {
        if (line.free)
            continue;
        const int n = line.recordNumber;
        if (samePool && n >= 1 && std::size_t(n) <= pool.size() && namesMatch(pool[std::size_t(n - 1)], line)) {
            if (lineOfRecord[std::size_t(n)] != 0) {
                *error = lineText(line.line) + QStringLiteral(": %1 is on line %2 already.")
                                                   .arg(personText(line))
                                                   .arg(lineOfRecord[std::size_t(n)]);
                return false;
            }
            lineOfRecord[std::size_t(n)] = line.line;
            const std::size_t at = std::size_t(line.group) * std::size_t(groupSize) + std::size_t(line.slot);
            file.recordNumbers[at] = n;
        } else {
            unmatched.push_back(&line);
        }
    }
    // The rest by their names, among the records no line has taken; records
    // with the very same bytes are one person as far as anyone can tell.
    QHash<QString, std::vector<int>> byName;
    if (!unmatched.empty()) {
        for (std::size_t i = pool.size(); i-- > 0;) {
            if (!isPerson(pool[i]) || lineOfRecord[i + 1] != 0)
                continue;
            const ProfileRecord &r = pool[i];
            const QString key = file.fromDocument ? SlotText(r).value_or(QString())
                                                  : trimmedField(r.FirstName) + QChar(1) + trimmedField(r.LastName)
                    + QChar(1) + (isSet(r.HasPosition) ? trimmedField(r.Position) : QString());
            byName[key].push_back(int(i + 1));
        }
    }
    for (const SlotLine *line : unmatched) {
        const QString key = file.fromDocument ? line->text
                                              : line->first + QChar(1) + line->last + QChar(1) + line->position;
        std::vector<int> &candidates = byName[key];
        if (candidates.empty()) {
            *error = lineText(line->line) + QStringLiteral(": no one in the pool is %1.").arg(personText(*line));
            return false;
        }
        const QByteArray first = bytesOf(pool[std::size_t(candidates.back() - 1)]);
        for (const int other : candidates) {
            if (bytesOf(pool[std::size_t(other - 1)]) != first) {
                *error = lineText(line->line)
                    + QStringLiteral(": %1 could be any of several people in the pool; save the groups again to "
                                     "tell them apart by record number.")
                          .arg(personText(*line));
                return false;
            }
        }
        const std::size_t at = std::size_t(line->group) * std::size_t(groupSize) + std::size_t(line->slot);
        file.recordNumbers[at] = candidates.back();
        candidates.pop_back();
    }

    for (const SlotLine &line : lines) {
        const std::size_t at = std::size_t(line.group) * std::size_t(groupSize) + std::size_t(line.slot);
        if (line.free)
            continue;
        file.groups.slotRecords[at] = pool[std::size_t(file.recordNumbers[at] - 1)];
        file.personPins[at] = line.pinned;
    }
    *out = std::move(file);
    return true;
}

} // namespace quorvia
