// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QLocale>
#include <QString>

#include <vector>

namespace quorvia {

// How one record reads in the selection list and the printed pool: last name,
// ", " when HasBothNames is set, first name, and " (position)" when the
// trimmed position is not empty.
QString itemText(const ProfileRecord &record);

// A person as a sentence names them: "Ann Lee", or the one name given, or the
// position when there is no name ("an empty profile" when all are blank).
QString personName(const ProfileRecord &record);

// "1 person", "2 people": counts in messages.
QString countText(qsizetype count, const QString &one, const QString &many);

struct PoolListItem {
    int recordNumber = 0;  // 1-based
    QString text;
};

// One item per record, in alphabetical order as a reader of `locale` expects
// it (case-insensitive); equal texts keep record-number order, so the order
// never depends on anything but the pool.
std::vector<PoolListItem> sortedPoolList(const std::vector<ProfileRecord> &records,
                                         const QLocale &locale = QLocale());

} // namespace quorvia
