// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv/CsvFormat.h"
#include "pool/ProfileRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quorvia {

// People as a spreadsheet holds them: a header row naming the columns (in any
// order, any case), then one person per row. A trait list holds catalogue
// names separated by ';', '|' or ','. A letter the pool cannot store is
// replaced by its closest plain letter, an unknown trait is left out: both
// are told as problems, and the row comes in.
const QStringList &peopleCsvColumns();  // "First name", "Last name", ...

// Something the preview and the command line tell about one line of the file.
struct ImportProblem {
    enum class Kind {
        LeftOut,  // the row is not imported
        Changed,  // imported, but not as written (a text cut, the trait rules)
        Note,     // nothing lost (an ignored column or field)
    };
    int line = 0;
    Kind kind = Kind::Note;
    QString message;  // says what is wrong and what to do
};

struct ImportedRow {
    int line = 0;
    ProfileRecord record;        // exactly what the profile editor would store
    bool alreadyInPool = false;  // see markAlreadyInPool
};

struct PeopleImport {
    QString failure;  // the file as a whole cannot be imported (then no rows)
    bool cancelled = false;
    QString encodingName;  // how the file was read: "UTF-8", "UTF-16" or "Windows-1252"
    char separator = ',';
    std::vector<ImportedRow> rows;        // to be appended, in file order
    std::vector<ImportProblem> problems;  // in line order, the first 5,000 (then a note of the rest)
    qint64 problemsNotListed = 0;
    int rowsLeftOut = 0;
};

// A file with NUL bytes, or with more rows of people than any pool can hold,
// is refused as a whole; only the first few thousand problems are listed.
PeopleImport parsePeopleCsv(const QByteArray &fileBytes, CsvProgress *progress = nullptr);
// Reads the file first; a file that cannot be read is a failure naming it.
// Files over kMaxPeopleCsvBytes are refused unread, as is a read that runs out of memory.
constexpr qint64 kMaxPeopleCsvBytes = qint64(256) * 1024 * 1024;
PeopleImport readPeopleCsv(const QString &path, CsvProgress *progress = nullptr);

// The whole pool in the import format: UTF-8 with a byte-order mark, a header
// row, one row per record in record order. Importing it into an empty pool
// gives back the same bytes for every record a save could have written.
QByteArray poolCsvBytes(const std::vector<ProfileRecord> &records);

// Marks the rows of people `pool` already holds (same personKey), which an
// import leaves out unless asked to take them too.
void markAlreadyInPool(PeopleImport &import, const std::vector<ProfileRecord> &pool);

} // namespace quorvia
