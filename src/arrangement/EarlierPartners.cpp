// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/EarlierPartners.h"

#include <QStringList>

#include <utility>

namespace quorvia {

void EarlierPartners::setAvoid(bool avoid)
{
    if (avoid == avoid_)
        return;
    avoid_ = avoid;
    emit changed();
}

void EarlierPartners::setCounted(std::vector<char> counted)
{
    if (counted == counted_)
        return;
    counted_ = std::move(counted);
    emit changed();
}

void EarlierPartners::setRoundCount(std::size_t count)
{
    std::vector<char> counted = counted_;
    counted.resize(count, 1);
    setCounted(std::move(counted));
}

void EarlierPartners::clear()
{
    const bool was = avoid_ || !counted_.empty();
    avoid_ = false;
    counted_.clear();
    if (was)
        emit changed();
}

QString EarlierPartners::text() const
{
    if (counted_.empty())
        return tr("Avoid earlier partners (no rounds yet: Groups, Add as a Round)");
    // Runs of three or more rounds read as a span.
    QStringList parts;
    int numbers = 0;
    for (std::size_t i = 0; i < counted_.size(); ++i) {
        if (!counted_[i] || (i > 0 && counted_[i - 1]))
            continue;
        std::size_t end = i;
        while (end + 1 < counted_.size() && counted_[end + 1])
            ++end;
        const int first = int(i) + 1;
        const int last = int(end) + 1;
        if (last - first >= 2)
            parts << QStringLiteral("%1\u2013%2").arg(first).arg(last);
        else
            for (int n = first; n <= last; ++n)
                parts << QString::number(n);
        numbers += last - first + 1;
    }
    if (parts.isEmpty())
        return tr("Avoid earlier partners (no round chosen)");
    const QString last = parts.takeLast();
    const QString list = parts.isEmpty() ? last : tr("%1 and %2").arg(parts.join(QStringLiteral(", ")), last);
    return numbers == 1 ? tr("Avoid partners of round %1").arg(list) : tr("Avoid partners of rounds %1").arg(list);
}

} // namespace quorvia
