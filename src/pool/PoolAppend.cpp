#include "pool/PoolAppend.h"

#include "pool/PoolFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace quorvia {

bool appendRecords(const QString &path, const std::vector<ProfileRecord> &records, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = QStringLiteral("Could not open the pool file \"%1\": it is not a regular file.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile file(path);
    // Unbuffered: every failed write shows at once, and nothing is left in a
    // buffer that could land after the cut-back.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *error = QStringLiteral("Could not open the pool file \"%1\": %2.")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const qint64 formerSize = file.size();
    // Past the size beyond which a file is not read as a pool, the people
    // would be locked out of their own pool: list, Calculate and Delete alike.
    const qint64 newSize = (formerSize + kRecordSize - 1) / kRecordSize * kRecordSize
        + qint64(records.size()) * kRecordSize;
    if (newSize > PoolFile::kMaxPoolBytes) {
        const QLocale c = QLocale::c();
        *error = QStringLiteral("Could not add %1 records to the pool file \"%2\": it would grow to %3, more than "
                                "the %4 a pool may hold. Nothing was written.")
                     .arg(qulonglong(records.size()))
                     .arg(QDir::toNativeSeparators(path),
                          c.formattedDataSize(newSize, 1, QLocale::DataSizeTraditionalFormat),
                          c.formattedDataSize(PoolFile::kMaxPoolBytes, 0, QLocale::DataSizeTraditionalFormat));
        return false;
    }
    const qint64 start = qint64(PoolFile::recordsToRead(formerSize)) * kRecordSize;
    QByteArray bytes(start - formerSize + qsizetype(records.size()) * kRecordSize, '\0');
    char *out = bytes.data() + (start - formerSize);
    for (const ProfileRecord &record : records) {
        record.toBytes(out);
        out += kRecordSize;
    }

    bool ok = file.seek(formerSize);
    // A short write reports no error of its own; writing the rest brings out
    // the system's reason (a full disk, a size limit).
    for (qint64 written = 0; ok && written < bytes.size();) {
        const qint64 step = file.write(bytes.constData() + written, bytes.size() - written);
        ok = step > 0;
        written += ok ? step : 0;
    }
    ok = ok && file.flush();
    if (ok)
        return true;
    *error = QStringLiteral("Could not write to the pool file \"%1\": %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    if (!file.resize(formerSize))
        *error += QStringLiteral(" It could not be cut back to its former %1 bytes either: %2.")
                      .arg(formerSize)
                      .arg(file.errorString());
    return false;
}

} // namespace quorvia
