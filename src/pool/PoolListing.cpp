// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/PoolListing.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

namespace quorvia {

QString itemText(const ProfileRecord &record)
{
    QString text = trimmedField(record.LastName);
    if (isSet(record.HasBothNames))
        text += QStringLiteral(", ");
    text += trimmedField(record.FirstName);
    const QString position = trimmedField(record.Position);
    if (!position.isEmpty())
        text += QStringLiteral(" (") + position + QLatin1Char(')');
    return text;
}

std::vector<PoolListItem> sortedPoolList(const std::vector<ProfileRecord> &records, const QLocale &locale)
{
    // The C locale has no collation of its own; English is what most users of
    // an untranslated program expect then.
    const QLocale collationLocale = locale.language() == QLocale::C
        ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
    QCollator collator(collationLocale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);

    const std::size_t count = records.size();
    std::vector<PoolListItem> items(count);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        items[i] = {int(i + 1), itemText(records[i])};
        keys.push_back(collator.sortKey(items[i].text));
    }

    // Sort keys once, then order indexes by them: far cheaper than comparing
    // strings through the collator at every step.
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        return keys[a].compare(keys[b]) < 0;
    });

    std::vector<PoolListItem> sorted;
    sorted.reserve(count);
    for (std::size_t index : order)
        sorted.push_back(std::move(items[index]));
    return sorted;
}

QString personName(const ProfileRecord &record)
{
    const QString first = trimmedField(record.FirstName);
    const QString last = trimmedField(record.LastName);
    if (!first.isEmpty() || !last.isEmpty())
        return first.isEmpty() || last.isEmpty() ? first + last : first + QLatin1Char(' ') + last;
    const QString position = trimmedField(record.Position);
    return position.isEmpty() ? QStringLiteral("an empty profile") : position;
}

QString countText(qsizetype count, const QString &one, const QString &many)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

} // namespace quorvia
