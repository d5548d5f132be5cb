#include "pool/PoolRewrite.h"

#include "pool/AtomicFile.h"
#include "pool/ProfileRecord.h"

#include <QDir>
#include <QFile>

namespace quorvia {
namespace {

QString failure(const QString &path, const QString &action, const QString &reason)
{
    return QStringLiteral("Could not %1 the pool file \"%2\": %3.\nThe pool file has not been changed.")
        .arg(action, QDir::toNativeSeparators(path), reason);
}

} // namespace

bool rewritePoolWithout(const QString &path, int number, QString *error)
{
    QFile source(path);
    QByteArray bytes;
    if (source.open(QIODevice::ReadOnly))
        bytes = source.readAll();
    if (!source.isOpen() || source.error() != QFileDevice::NoError) {
        if (error)
            *error = failure(path, QStringLiteral("read"), source.errorString());
        return false;
    }
    source.close();

    // Whole records only, each byte for byte as stored.
    const qsizetype recordCount = bytes.size() / kRecordSize;
    bytes.truncate(recordCount * kRecordSize);
    if (number >= 1 && number <= recordCount)
        bytes.remove(qsizetype(number - 1) * kRecordSize, kRecordSize);

    QString reason;
    if (!replaceFileContents(path, bytes, &reason)) {
        if (error)
            *error = failure(path, QStringLiteral("rewrite"), reason);
        return false;
    }
    return true;
}

} // namespace quorvia
