// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupQuality.h"

#include "grouping/GroupBuilder.h"
#include "grouping/PairScan.h"
#include "pool/TraitCatalogue.h"

#include <algorithm>

namespace quorvia {
namespace {

using grouping::PairScan;
using grouping::TraitMasks;

constexpr std::size_t kPairwiseUpTo = 48;

QString shortName(const ProfileRecord &r)
{
    const QString first = trimmedField(r.FirstName);
    return first.isEmpty() ? trimmedField(r.LastName) : first;
}

// The points one side of a pair gives: `who` works well (or not) with the traits `other` has.
void explainSide(const ProfileRecord &who, const ProfileRecord &other, QStringList *lines)
{
    const QStringList &traits = traitCatalogue();
    for (int t = 0; t < kTraitCount; ++t) {
        if (!isSet(other.OwnAttributes[std::size_t(t)]))
            continue;
        if (isSet(who.CompatibleWith[std::size_t(t)]))
            lines->append(QStringLiteral("%1 works well with %2, which %3 has: +1")
                              .arg(shortName(who), traits[t], shortName(other)));
        if (isSet(who.IncompatibleWith[std::size_t(t)]))
            lines->append(QStringLiteral("%1 does not work well with %2, which %3 has: \u22121")
                              .arg(shortName(who), traits[t], shortName(other)));
    }
}

// Everybody's highest scores, the rows shared out among a few threads when
// there are many: the sums are whole numbers, so the order does not matter.
std::int64_t twiceBound(const std::vector<TraitMasks> &everybody, const std::vector<int> &take)
{
    const int n = int(everybody.size());
    if (n < 2)
        return 0;
    const PairScan scan(everybody);
    std::vector<std::int64_t> sums(grouping::kMaxRowParts, 0);
    grouping::forRowsInParts(n, [&](int part, int parts) {
        PairScan::Row row;
        std::int64_t sum = 0;
        for (int p = part; p < n; p += parts)
            sum += scan.topSum(p, take[std::size_t(p)], row);
        sums[std::size_t(part)] = sum;
    });
    std::int64_t total = 0;
    for (std::int64_t s : sums)
        total += s;
    return total;
}

} // namespace

double percentOf(std::int64_t score, std::int64_t bound)
{
    return bound > 0 ? 100.0 * double(score) / double(bound) : 100.0;
}

namespace grouping {

// A group's sums pair by pair for small groups; for large ones everybody's
// row against the group, 32 members at a time.
GroupFit fitOfMembers(const std::vector<TraitMasks> &members)
{
    GroupFit fit;
    fit.people = int(members.size());
    if (members.size() <= kPairwiseUpTo) {
        for (std::size_t a = 0; a < members.size(); ++a)
            for (std::size_t b = 0; b < a; ++b) {
                const int score = pairScore(members[a], members[b]);
                fit.score += score;
                fit.conflicts += score < 0 ? 1 : 0;
            }
    } else {
        const PairScan scan(members);
        PairScan::Row row;
        std::int64_t twiceScore = 0, twiceConflicts = 0;
        for (int a = 0; a < fit.people; ++a) {
            std::int64_t sum = 0;
            int negatives = 0;
            scan.rowTotals(a, &sum, &negatives, row);
            twiceScore += sum;
            twiceConflicts += negatives;
        }
        fit.score = twiceScore / 2;
        fit.conflicts = int(twiceConflicts / 2);
    }
    return fit;
}

} // namespace grouping

// The bound takes every person's row against all the people, summing its
// highest entries by counting.
QualityReport assessGroups(const GroupTable &groups)
{
    QualityReport report;
    std::vector<TraitMasks> everybody;
    std::vector<int> take;  // per person: the size of their group less 1
    std::vector<TraitMasks> members;
    for (int g = 0; g < groups.NumGroups; ++g) {
        members.clear();
        for (int s = 0; s < groups.GroupSize; ++s) {
            const ProfileRecord &p = groups.at(g, s);
            if (isPerson(p))
                members.emplace_back(p);
        }
        const GroupFit fit = grouping::fitOfMembers(members);
        everybody.insert(everybody.end(), members.begin(), members.end());
        take.insert(take.end(), members.size(), fit.people - 1);
        report.total.people += fit.people;
        report.total.score += fit.score;
        report.total.conflicts += fit.conflicts;
        report.groups.push_back(fit);
    }

    report.bound = twiceBound(everybody, take) / 2;
    report.percentOfBound = percentOf(report.total.score, report.bound);
    return report;
}

int memberScore(const GroupTable &groups, int group, int slot)
{
    const ProfileRecord &p = groups.at(group, slot);
    if (!isPerson(p))
        return 0;
    int score = 0;
    for (int s = 0; s < groups.GroupSize; ++s) {
        if (s != slot && isPerson(groups.at(group, s)))
            score += CompatibilityScore(p, groups.at(group, s));
    }
    return score;
}

QStringList explainPair(const ProfileRecord &a, const ProfileRecord &b)
{
    QStringList lines;
    explainSide(a, b, &lines);
    explainSide(b, a, &lines);
    return lines;
}

} // namespace quorvia
