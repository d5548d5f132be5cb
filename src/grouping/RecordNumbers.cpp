// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/RecordNumbers.h"

#include <QByteArray>
#include <QHash>

namespace quorvia {
namespace {

QByteArray bytesOf(const ProfileRecord &record)
{
    QByteArray bytes(kRecordSize, Qt::Uninitialized);
    record.toBytes(bytes.data());
    return bytes;
}

} // namespace

std::vector<int> recordNumbersOf(const GroupTable &table, const std::vector<ProfileRecord> &records,
                                 const std::vector<int> &candidates)
{
    // Per distinct content, the candidate numbers still to hand out, in order.
    QHash<QByteArray, std::vector<int>> unused;
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
        const int number = *it;
        if (number >= 1 && std::size_t(number) <= records.size())
            unused[bytesOf(records[std::size_t(number - 1)])].push_back(number);
    }
    std::vector<int> numbers(table.slotRecords.size(), 0);
    for (std::size_t i = 0; i < table.slotRecords.size(); ++i) {
        if (!isPerson(table.slotRecords[i]))
            continue;
        auto found = unused.find(bytesOf(table.slotRecords[i]));
        if (found == unused.end() || found->empty())
            continue;
        numbers[i] = found->back();
        found->pop_back();
    }
    return numbers;
}

} // namespace quorvia
