// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace quorvia {

// CSV as spreadsheets write it (RFC 4180), read and written with libcsv.
// Fields travel as bytes; the caller decodes them once the text encoding of
// the whole file is known.

// How far a long read has come, and the wish to stop it; shared with the
// thread that shows the progress.
struct CsvProgress {
    std::atomic<qint64> bytesDone{0};
    std::atomic<bool> cancelled{false};
};

// One record of the file and the line it starts on (from 1). A quoted field
// may hold line breaks, so the next record can start several lines later.
struct CsvRow {
    int line = 0;
    std::vector<QByteArray> fields;  // at most kMaxCsvFields, each cut after kMaxCsvFieldBytes
    int droppedFields = 0;           // fields past those that are not blank
};
constexpr int kMaxCsvFields = 1024;
constexpr std::size_t kMaxCsvFieldBytes = 64 * 1024;

// The text of a file: its bytes without a byte-order mark, and whether they
// are UTF-8 (otherwise Windows-1252, what older spreadsheets write). UTF-16
// with a byte-order mark (a spreadsheet's "Unicode text") is turned into UTF-8.
struct CsvText {
    QByteArray bytes;
    bool utf8 = true;
    bool mixed = false;    // not UTF-8 as a whole, yet with UTF-8 letters: read field by field
    QString encodingName;  // as the file was read: "UTF-8", "UTF-16", "Windows-1252", or both mixed
};
CsvText detectEncoding(const QByteArray &fileBytes);
QString decodeField(const QByteArray &field, bool utf8);

// The separator the header line uses most: ',', ';' or TAB (',' when none).
char detectSeparator(const QByteArray &bytes);

// Calls `onRow` for every record that has fields; empty lines are skipped.
// Returns false only when `progress` asked to stop (or the parser ran out of
// memory, which `error` then says).
bool readCsvRows(const QByteArray &bytes, char separator, const std::function<void(const CsvRow &)> &onRow,
                 CsvProgress *progress, QString *error);

// One line of a file written by this program: UTF-8, ',' between fields, a
// field quoted when it holds a separator, a quote, a line break or blanks at
// either end; CR LF after it. Every cell goes through formulaSafeCell.
QByteArray csvLine(const QStringList &fields);

// A cell that a spreadsheet would run as a formula (one that starts with
// '=', '+', '-', '@', TAB or CR, such as the name "=1+1") gets a leading
// apostrophe, so that the spreadsheet shows it as text; so does one that
// already starts with apostrophes followed by such a character, so that
// cellFromFormulaSafe gives back every cell exactly. Plain numbers ("-3")
// stay as they are.
QString formulaSafeCell(const QString &cell);
// The cell as it was before formulaSafeCell: for every reader of these files.
QString cellFromFormulaSafe(const QString &cell);

// What files written by this program start with, so that spreadsheet
// programs recognise UTF-8.
inline QByteArray utf8ByteOrderMark() { return QByteArrayLiteral("\xEF\xBB\xBF"); }

} // namespace quorvia
