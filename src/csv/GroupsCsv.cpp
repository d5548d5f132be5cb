// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/GroupsCsv.h"

#include "csv/CsvFormat.h"
#include "grouping/GroupListing.h"

#include <array>

namespace quorvia {
namespace {

// memberScore adds up the pairs one by one; for one group of the whole pool
// that is quadratic. Scores are sums over traits, so counting once per group
// how many members have, like and dislike each trait gives the same numbers.
struct TraitCounts {
    std::array<int, kTraitCount> own{}, compatible{}, incompatible{};

    void add(const ProfileRecord &r, int sign)
    {
        for (std::size_t t = 0; t < std::size_t(kTraitCount); ++t) {
            own[t] += sign * int(isSet(r.OwnAttributes[t]));
            compatible[t] += sign * int(isSet(r.CompatibleWith[t]));
            incompatible[t] += sign * int(isSet(r.IncompatibleWith[t]));
        }
    }

    // The score of `r` against everybody counted.
    int scoreOf(const ProfileRecord &r) const
    {
        int score = 0;
        for (std::size_t t = 0; t < std::size_t(kTraitCount); ++t) {
            if (isSet(r.OwnAttributes[t]))
                score += compatible[t] - incompatible[t];
            if (isSet(r.CompatibleWith[t]))
                score += own[t];
            if (isSet(r.IncompatibleWith[t]))
                score -= own[t];
        }
        return score;
    }
};

} // namespace

const QStringList &groupsCsvColumns()
{
    static const QStringList columns{QStringLiteral("Group"),     QStringLiteral("Slot"),
                                     QStringLiteral("First name"), QStringLiteral("Last name"),
                                     QStringLiteral("Position"),  QStringLiteral("Score"),
                                     QStringLiteral("Record"),    QStringLiteral("Pinned"),
                                     QStringLiteral("Group pinned"), QStringLiteral("Pool")};
    return columns;
}

QByteArray groupsCsvBytes(const GroupTable &groups, const GroupsCsvExtras &extras)
{
    auto flagAt = [](const std::vector<char> &flags, std::size_t i) {
        return i < flags.size() && flags[i] ? QStringLiteral("yes") : QString();
    };
    QByteArray bytes = utf8ByteOrderMark() + csvLine(groupsCsvColumns());
    for (int g = 0; g < groups.NumGroups; ++g) {
        TraitCounts counts;
        for (int s = 0; s < groups.GroupSize; ++s) {
            if (isPerson(groups.at(g, s)))
                counts.add(groups.at(g, s), 1);
        }
        for (int s = 0; s < groups.GroupSize; ++s) {
            const ProfileRecord &r = groups.at(g, s);
            if (!SlotText(r))
                continue;  // the groups document has no line for it either
            const QString group = QString::number(g + 1);
            const QString slot = QString::number(s + 1);
            const std::size_t i = std::size_t(g) * std::size_t(groups.GroupSize) + std::size_t(s);
            const QString groupPinned = flagAt(extras.groupPins, std::size_t(g));
            if (r.HasData == kFalse) {
                bytes += csvLine({group, slot, QStringLiteral("NONE"), QString(), QString(), QString(), QString(),
                                  QString(), groupPinned, extras.poolName});
                continue;
            }
            TraitCounts others = counts;
            others.add(r, -1);
            const int number = i < extras.recordNumbers.size() ? extras.recordNumbers[i] : 0;
            bytes += csvLine({group, slot, trimmedField(r.FirstName), trimmedField(r.LastName),
                              isSet(r.HasPosition) ? trimmedField(r.Position) : QString(),
                              QString::number(others.scoreOf(r)), number > 0 ? QString::number(number) : QString(),
                              flagAt(extras.personPins, i), groupPinned, extras.poolName});
        }
    }
    return bytes;
}

} // namespace quorvia
