// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupDescriptions.h"

#include "grouping/GroupBuilder.h"
#include "grouping/GroupQuality.h"
#include "pool/PoolListing.h"

#include <QCoreApplication>

namespace quorvia {
namespace {

// Past this many pairs a hover stops looking: one group of 30,000 people has
// 450 million of them, and a tooltip must come at once.
constexpr long long kPairBudget = 2000000;
constexpr int kMembersListed = 25;

QString indented(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += QStringLiteral("\n    ") + line;
    return text;
}

} // namespace

QString signedScore(long long score)
{
    if (score > 0)
        return QLatin1Char('+') + QString::number(score);
    if (score < 0)
        return QChar(0x2212) + QString::number(-score);
    return QStringLiteral("0");
}

QString bestPossibleWords(long long score, const BestPossible *best)
{
    if (!best)
        return QCoreApplication::translate("Quality", "best possible: computing...");
    if (score >= best->bound)
        return QCoreApplication::translate("Quality", "best possible");
    if (score >= 0 && best->bound > 0)
        return QCoreApplication::translate("Quality", "at least %1% of the best possible")
            .arg(100 * score / best->bound);
    return QCoreApplication::translate("Quality", "below the best possible (at most %1)").arg(signedScore(best->bound));
}

QString bestPossibleToolTip(long long score, const BestPossible *best)
{
    if (!best)
        return QCoreApplication::translate("Quality", "Working out how high any grouping of these people can score...");
    const QString how = best->exact
        ? QCoreApplication::translate("Quality", "found by trying every grouping of these people")
        : best->byGroups
        ? QCoreApplication::translate("Quality", "proven by weighing every possible group against a price for each person")
        : QCoreApplication::translate("Quality", "proven by sharing out each pair's points between its two people");
    QString text = QCoreApplication::translate("Quality",
                                               "No grouping of these people into these groups can score more than %1 "
                                               "(%2).")
                       .arg(signedScore(best->bound), how);
    if (score >= best->bound)
        text += QLatin1Char(' ') + QCoreApplication::translate("Quality", "These groups reach it: none can do better.");
    else if (!best->exact)
        text += QLatin1Char(' ')
            + QCoreApplication::translate("Quality", "The best grouping may score less than that, so these groups "
                                                     "may be closer to the best than the figure says.");
    return text;
}

QStringList groupConflictLines(const GroupTable &groups, int group, int maxConflicts)
{
    QStringList lines;
    long long pairs = 0;
    bool cut = false;
    for (int a = 0; a < groups.GroupSize && !cut; ++a) {
        const ProfileRecord &first = groups.at(group, a);
        if (!isPerson(first))
            continue;
        for (int b = a + 1; b < groups.GroupSize; ++b) {
            const ProfileRecord &second = groups.at(group, b);
            if (!isPerson(second))
                continue;
            if (++pairs > kPairBudget || lines.size() >= maxConflicts) {
                cut = true;
                break;
            }
            const int score = CompatibilityScore(first, second);
            if (score < 0)
                lines << QStringLiteral("%1 and %2: %3%4")
                             .arg(personName(first), personName(second), signedScore(score),
                                  indented(explainPair(first, second)));
        }
    }
    if (cut)
        lines << QStringLiteral("(more conflicts not listed)");
    return lines;
}

QString personToolTip(const GroupTable &groups, int group, int slot)
{
    const ProfileRecord &person = groups.at(group, slot);
    if (!isPerson(person))
        return QStringLiteral("A free place in Group %1").arg(group + 1);
    QString text = QStringLiteral("%1: %2 with Group %3")
                       .arg(personName(person), signedScore(memberScore(groups, group, slot)))
                       .arg(group + 1);
    int listed = 0;
    int unlisted = 0;
    for (int s = 0; s < groups.GroupSize; ++s) {
        const ProfileRecord &other = groups.at(group, s);
        if (s == slot || !isPerson(other))
            continue;
        if (listed == kMembersListed) {
            ++unlisted;
            continue;
        }
        ++listed;
        const int score = CompatibilityScore(person, other);
        text += QStringLiteral("\n%1 with %2").arg(signedScore(score), personName(other));
        if (score < 0)
            text += QStringLiteral(" (conflict)") + indented(explainPair(person, other));
    }
    if (unlisted > 0)
        text += QStringLiteral("\n(%1 not listed)").arg(countText(unlisted, QStringLiteral("more member"),
                                                                    QStringLiteral("more members")));
    return text;
}

bool hasConflict(const GroupTable &groups, int group, int slot)
{
    const ProfileRecord &person = groups.at(group, slot);
    if (!isPerson(person))
        return false;
    for (int s = 0; s < groups.GroupSize; ++s) {
        if (s != slot && isPerson(groups.at(group, s)) && CompatibilityScore(person, groups.at(group, s)) < 0)
            return true;
    }
    return false;
}

} // namespace quorvia
