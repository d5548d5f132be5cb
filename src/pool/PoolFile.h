// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QFile>
#include <QString>

#include <optional>
#include <vector>

namespace quorvia {

// A pool file: headerless 174-byte records numbered from 1. The file is opened
// for one operation at a time and closed again; nothing is cached between
// operations. Failures come back as a message that names the file and gives
// the system's reason, ready to show the user.
class PoolFile {
public:
    // No pool is anywhere near this size: 32,767 people take 5.7 MB, and the
    // largest pool worked with (record numbers are 32-bit) stays far below
    // it. A larger file is something else (a disk image, a sparse file of
    // hundreds of GB) and is refused before anything is read, so reading a
    // pool can never exhaust the memory. 64 MB is over 385,000 records.
    static constexpr qint64 kMaxPoolBytes = qint64(64) * 1024 * 1024;

    explicit PoolFile(QString path);

    const QString &path() const { return path_; }

    // For reading: an existing file is opened read-only, a missing one is
    // created empty (a new pool).
    bool openForReading(QString *error);
    // For reading and writing, creating the file when it is missing.
    bool openForWriting(QString *error);
    void close();

    qint64 size() const;
    double recordCount() const { return recordCountFromSize(size()); }

    // Record `number` (1-based). A number past the end gives the all-zero
    // record; a last, partial record reads as if padded with zero bytes.
    ProfileRecord read(int number);
    // The bytes stored at record `number` as they are: 174, fewer for a
    // partial last record, none past the end. What a later write is checked
    // against, to find out whether another program changed the record.
    QByteArray storedBytes(int number);

    // Overwrites record `number` in place, or appends when it lies at the end.
    // A write that fails part-way leaves the file as it was: an append is cut
    // back, and the bytes it had covered are put back.
    // With `expected` (what storedBytes gave when the record was shown),
    // nothing is written when the file holds anything else there now:
    // another program changed the pool in between.
    bool write(int number, const ProfileRecord &record, QString *error,
               const std::optional<QByteArray> &expected = std::nullopt);

    enum class Missing { Create, Fail };
    // Every record of the file, in record-number order, partial last one
    // included. A missing file is created empty (a new pool) or is an error.
    static bool readAll(const QString &path, std::vector<ProfileRecord> *records, QString *error,
                        Missing missing = Missing::Create);

    // The whole file, refused beyond kMaxPoolBytes (and when memory runs out)
    // with a message that names it.
    static bool readBytes(const QString &path, QByteArray *bytes, QString *error);

    static qint64 fileSize(const QString &path);
    static double recordCountFromSize(qint64 bytes) { return double(bytes) / kRecordSize; }
    static double recordCountOf(const QString &path) { return recordCountFromSize(fileSize(path)); }
    // Number of records a reader meets, the partial last one included.
    static int recordsToRead(qint64 bytes) { return int((bytes + kRecordSize - 1) / kRecordSize); }

private:
    QString failure(const QString &action) const;
    bool readOpenFile(QByteArray *bytes, QString *error);
    bool isRegularOrMissing(QString *error) const;

    QString path_;
    QFile file_;
};

// The shortest decimal form of a record count: "3" for whole counts, "2.5" otherwise.
QString formatRecordCount(double count);

} // namespace quorvia
