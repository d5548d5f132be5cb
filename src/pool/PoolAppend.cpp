// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolAppend.h"

#include "pool/AtomicFile.h"
#include "pool/PoolFile.h"
#include "pool/PoolWriteLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <new>

#include <unistd.h>

namespace quorvia {
namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// "32,767", as the messages write counts, whatever the user's locale.
QString count(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

QString peopleText(qint64 n)
{
    return QStringLiteral("%1 %2").arg(count(n), n == 1 ? QStringLiteral("person")
                                                                                 : QStringLiteral("people"));
}

} // namespace

QString personKey(const ProfileRecord &record)
{
    return trimmedField(record.FirstName).toCaseFolded() + QLatin1Char('\n')
        + trimmedField(record.LastName).toCaseFolded() + QLatin1Char('\n') + trimmedField(record.Position).toCaseFolded();
}

bool appendRecords(const QString &path, const std::vector<ProfileRecord> &records, QString *error,
                   const AppendOptions &options, AppendResult *result)
{
    QString ignored;
    if (!error)
        error = &ignored;
    AppendResult local;
    if (!result)
        result = &local;
    *result = AppendResult();

    const QFileInfo given(path);
    if (given.exists() && !given.isFile()) {
        *error = QStringLiteral("Could not open the pool file \"%1\": it is not a regular file.").arg(native(path));
        return false;
    }
    // A link is followed: the file it names is the pool, and gets replaced.
    const QString target = given.isSymLink() && given.exists() ? given.canonicalFilePath() : path;
    PoolWriteLock lock;
    if (!lock.lock(target, error))
        return false;

    QByteArray bytes;
    if (!PoolFile::readBytes(target, &bytes, error))
        return false;
    const int formerCount = PoolFile::recordsToRead(bytes.size());
    result->formerCount = formerCount;

    std::vector<const ProfileRecord *> adding;
    adding.reserve(records.size());
    QSet<QString> present;
    if (options.skipDuplicates) {
        for (int i = 0; i < formerCount; ++i) {
            char record[kRecordSize] = {};
            const qsizetype at = qsizetype(i) * kRecordSize;
            std::memcpy(record, bytes.constData() + at, std::size_t(std::min<qsizetype>(kRecordSize, bytes.size() - at)));
            present.insert(personKey(ProfileRecord::fromBytes(record)));
        }
    }
    for (const ProfileRecord &record : records) {
        if (options.skipDuplicates && present.contains(personKey(record)))
            ++result->duplicates;
        else
            adding.push_back(&record);
    }

    const qint64 total = qint64(formerCount) + qint64(adding.size());
    if (total > kMaxPoolPeople) {
        const int room = std::max(0, kMaxPoolPeople - formerCount);
        *error = QStringLiteral("Could not add %1 to the pool file \"%2\": a pool holds at most %3, and it holds %4, "
                                "so %5. Nothing was written.")
                     .arg(peopleText(qint64(adding.size())), native(path), peopleText(kMaxPoolPeople),
                          count(formerCount),
                          room == 0 ? QStringLiteral("nobody more fits")
                                    : QStringLiteral("%1 more %2").arg(count(room),
                                                                       room == 1 ? QStringLiteral("fits")
                                                                                 : QStringLiteral("fit")));
        return false;
    }
    // The new pool is made beside the old one; where that cannot be, the
    // pool is never written in place, where a stop half-way would tear it.
    const QString folder = QFileInfo(target).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        *error = QStringLiteral("Could not add people to the pool file \"%1\": no file can be made in its folder "
                                "\"%2\", and the pool is only ever replaced whole. Nothing was written; move the pool "
                                "to a folder you can write to.")
                     .arg(native(path), native(folder));
        return false;
    }
    result->added = int(adding.size());
    if (options.dryRun || adding.empty())
        return true;

    const qint64 start = qint64(formerCount) * kRecordSize;
    try {
        // zeros: the padding of a partial last record too
        bytes.resize(start + qsizetype(adding.size()) * kRecordSize, '\0');
    } catch (const std::bad_alloc &) {
        *error = QStringLiteral("Could not add people to the pool file \"%1\": there is not enough memory. Nothing "
                                "was written.").arg(native(path));
        return false;
    }
    char *out = bytes.data() + start;
    for (const ProfileRecord *record : adding) {
        record->toBytes(out);
        out += kRecordSize;
    }
    QString reason;
    if (!replaceFileContents(target, bytes, &reason)) {
        *error = QStringLiteral("Could not write to the pool file \"%1\": %2. Nothing was written: the pool is as it "
                                "was.").arg(native(path), reason);
        result->added = 0;
        return false;
    }
    return true;
}

} // namespace quorvia
