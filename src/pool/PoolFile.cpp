// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolFile.h"

#include "pool/PoolWriteLock.h"

#include <QDir>
#include <QFileInfo>

#include <QLocale>

#include <new>
#include <utility>

namespace quorvia {

PoolFile::PoolFile(QString path) : path_(std::move(path)), file_(path_) {}

QString PoolFile::failure(const QString &action) const
{
    return QStringLiteral("Could not %1 the pool file \"%2\": %3.")
        .arg(action, QDir::toNativeSeparators(path_), file_.errorString());
}

bool PoolFile::isRegularOrMissing(QString *error) const
{
    // A folder cannot hold records, and a device or pipe (/dev/zero) would
    // be read without end.
    const QFileInfo info(path_);
    if (!info.exists() || info.isFile())
        return true;
    if (error)
        *error = QStringLiteral("Could not open the pool file \"%1\": %2.")
                     .arg(QDir::toNativeSeparators(path_),
                          info.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file"));
    return false;
}

bool PoolFile::openForReading(QString *error)
{
    if (!isRegularOrMissing(error))
        return false;
    if (QFileInfo::exists(path_) && file_.open(QIODevice::ReadOnly))
        return true;
    return openForWriting(error);
}

bool PoolFile::openForWriting(QString *error)
{
    if (!isRegularOrMissing(error))
        return false;
    // Held until close: no other writer can come between reading a record
    // (to check it was not changed) and writing it.
    for (int round = 0; round < 1000; ++round) {
        // Unbuffered: a failed write must show at once, and a buffer that
        // cannot be flushed would also stop the cut-back of a partial write.
        // A new pool is private: people's profiles are personal data.
        if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            if (error)
                *error = failure(QStringLiteral("open"));
            return false;
        }
        QString reason;
        switch (PoolWriteLock::lockDescriptor(file_.handle(), path_, PoolWriteLock::Wait::Briefly, &reason)) {
        case PoolWriteLock::Outcome::Locked: return true;
        case PoolWriteLock::Outcome::Replaced: file_.close(); continue;
        case PoolWriteLock::Outcome::Busy:
            file_.close();
            if (error)
                *error = PoolWriteLock::busyMessage(path_);
            return false;
        case PoolWriteLock::Outcome::Failed: break;
        }
        file_.close();
        if (error)
            *error = QStringLiteral("Could not lock the pool file \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path_), reason);
        return false;
    }
    if (error)
        *error = PoolWriteLock::busyMessage(path_);
    return false;
}

void PoolFile::close() { file_.close(); }

qint64 PoolFile::size() const { return file_.isOpen() ? file_.size() : fileSize(path_); }

ProfileRecord PoolFile::read(int number)
{
    char bytes[kRecordSize] = {};
    const qint64 offset = qint64(number - 1) * kRecordSize;
    if (number >= 1 && offset < file_.size() && file_.seek(offset))
        file_.read(bytes, kRecordSize);  // a short read leaves the rest zero
    return ProfileRecord::fromBytes(bytes);
}

bool PoolFile::write(int number, const ProfileRecord &record, QString *error,
                     const std::optional<QByteArray> &expected)
{
    char bytes[kRecordSize];
    record.toBytes(bytes);
    const qint64 formerSize = file_.size();
    const qint64 offset = qint64(number - 1) * kRecordSize;
    bool ok = number >= 1 && file_.seek(offset);
    // What the write covers of the file as it is (a record, or a partial last
    // one), to be put back should the write fail part-way.
    const QByteArray covered = ok && offset < formerSize ? file_.read(kRecordSize) : QByteArray();
    if (ok && expected && covered != *expected) {
        if (error)
            *error = QStringLiteral("Record %1 of the pool file \"%2\" was changed by another program since it was "
                                    "shown.")
                         .arg(number)
                         .arg(QDir::toNativeSeparators(path_));
        return false;
    }
    ok = ok && file_.seek(offset);
    // A write cut short reports no error of its own; writing the rest brings
    // out the system's reason (a full disk, a size limit).
    for (qint64 written = 0; ok && written < kRecordSize;) {
        const qint64 step = file_.write(bytes + written, kRecordSize - written);
        ok = step > 0;
        written += step;
    }
    if (ok)
        return true;
    if (error)
        *error = failure(QStringLiteral("write to"));
    const bool cutBack = file_.size() <= formerSize || file_.resize(formerSize);
    const bool putBack = covered.isEmpty() || (file_.seek(offset) && file_.write(covered) == covered.size());
    // Only a pool that is as it was may be called unchanged.
    if (error && !(cutBack && putBack))
        *error += QStringLiteral(" It could not be put back as it was either (%1), so record %2 may be damaged.")
                      .arg(file_.errorString())
                      .arg(number);
    return false;
}

QByteArray PoolFile::storedBytes(int number)
{
    const qint64 offset = qint64(number - 1) * kRecordSize;
    if (number < 1 || offset >= file_.size() || !file_.seek(offset))
        return QByteArray();
    return file_.read(kRecordSize);
}

bool PoolFile::readOpenFile(QByteArray *bytes, QString *error)
{
    const qint64 size = file_.size();
    if (size > kMaxPoolBytes) {
        if (error)
            *error = QStringLiteral("Could not read the pool file \"%1\": it is %2, far too large to be a pool "
                                    "(32,767 people take 5.7 MB; files over %3 are not read).")
                         .arg(QDir::toNativeSeparators(path_),
                              QLocale::c().formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat),
                              QLocale::c().formattedDataSize(kMaxPoolBytes, 0, QLocale::DataSizeTraditionalFormat));
        return false;
    }
    try {
        *bytes = file_.readAll();
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("Could not read the pool file \"%1\": there is not enough memory.")
                         .arg(QDir::toNativeSeparators(path_));
        return false;
    }
    if (file_.error() != QFileDevice::NoError) {
        if (error)
            *error = failure(QStringLiteral("read"));
        return false;
    }
    return true;
}

bool PoolFile::readBytes(const QString &path, QByteArray *bytes, QString *error)
{
    PoolFile pool(path);
    if (!pool.isRegularOrMissing(error))
        return false;
    if (!pool.file_.open(QIODevice::ReadOnly)) {
        if (error)
            *error = pool.failure(QStringLiteral("read"));
        return false;
    }
    return pool.readOpenFile(bytes, error);
}

bool PoolFile::readAll(const QString &path, std::vector<ProfileRecord> *records, QString *error, Missing missing)
{
    PoolFile pool(path);
    if (missing == Missing::Create ? !pool.openForReading(error) : !pool.isRegularOrMissing(error))
        return false;
    if (!pool.file_.isOpen() && !pool.file_.open(QIODevice::ReadOnly)) {
        if (error)
            *error = pool.failure(QStringLiteral("read"));
        return false;
    }
    QByteArray bytes;
    if (!pool.readOpenFile(&bytes, error))
        return false;
    const int count = recordsToRead(bytes.size());
    try {
        bytes.append(QByteArray(qsizetype(count) * kRecordSize - bytes.size(), '\0'));
        records->clear();
        records->reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            records->push_back(ProfileRecord::fromBytes(bytes.constData() + qsizetype(i) * kRecordSize));
    } catch (const std::bad_alloc &) {
        records->clear();
        if (error)
            *error = QStringLiteral("Could not read the pool file \"%1\": there is not enough memory.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

qint64 PoolFile::fileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

QString formatRecordCount(double count)
{
    return QString::number(count, 'g', 15);
}

} // namespace quorvia
