// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers for tests that need pool files.

#include "pool/ProfileRecord.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>
#include <vector>

namespace quorvia::testing {

// A record as the editor saves it: trimmed texts, derived flags from them.
inline ProfileRecord person(const QString &first, const QString &last, const QString &position = QString())
{
    ProfileRecord r;
    setFieldText(r.FirstName, first);
    setFieldText(r.LastName, last);
    setFieldText(r.Position, position);
    const bool hasFirst = !trimBlanks(first).isEmpty();
    const bool hasLast = !trimBlanks(last).isEmpty();
    const bool hasPosition = !trimBlanks(position).isEmpty();
    r.HasData = (hasFirst || hasLast || hasPosition) ? kTrue : kFalse;
    r.HasPosition = hasPosition ? kTrue : kFalse;
    r.HasBothNames = (hasFirst && hasLast) ? kTrue : kFalse;
    return r;
}

// The record with the given traits ticked in its three lists.
inline ProfileRecord withTraits(ProfileRecord r, std::initializer_list<int> own,
                                std::initializer_list<int> compatible = {}, std::initializer_list<int> incompatible = {})
{
    for (int t : own) r.OwnAttributes[std::size_t(t)] = kTrue;
    for (int t : compatible) r.CompatibleWith[std::size_t(t)] = kTrue;
    for (int t : incompatible) r.IncompatibleWith[std::size_t(t)] = kTrue;
    return r;
}

inline QByteArray poolBytes(const std::vector<ProfileRecord> &records)
{
    QByteArray bytes(qsizetype(records.size()) * kRecordSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].toBytes(bytes.data() + qsizetype(i) * kRecordSize);
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline bool writePool(const QString &path, const std::vector<ProfileRecord> &records)
{
    return writeFile(path, poolBytes(records));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace quorvia::testing
