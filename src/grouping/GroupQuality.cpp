#include "grouping/GroupQuality.h"

#include "grouping/GroupBuilder.h"
#include "pool/TraitCatalogue.h"

#include <algorithm>
#include <functional>

namespace quorvia {
namespace {

bool isPerson(const ProfileRecord &r) { return r.HasData != 0; }

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

} // namespace

// Plain pairwise sums: the reference the faster paths must agree with.
QualityReport assessGroups(const GroupTable &groups)
{
    QualityReport report;
    std::vector<const ProfileRecord *> everybody;
    std::vector<int> groupOf;
    for (int g = 0; g < groups.NumGroups; ++g) {
        GroupFit fit;
        for (int s = 0; s < groups.GroupSize; ++s) {
            const ProfileRecord &p = groups.at(g, s);
            if (!isPerson(p))
                continue;
            ++fit.people;
            everybody.push_back(&p);
            groupOf.push_back(g);
            for (int t = 0; t < s; ++t) {
                if (!isPerson(groups.at(g, t)))
                    continue;
                const int score = CompatibilityScore(p, groups.at(g, t));
                fit.score += score;
                fit.conflicts += score < 0 ? 1 : 0;
            }
        }
        report.total.people += fit.people;
        report.total.score += fit.score;
        report.total.conflicts += fit.conflicts;
        report.groups.push_back(fit);
    }

    std::int64_t twiceBound = 0;
    std::vector<int> scores;
    for (std::size_t i = 0; i < everybody.size(); ++i) {
        scores.clear();
        for (std::size_t j = 0; j < everybody.size(); ++j) {
            if (j != i)
                scores.push_back(CompatibilityScore(*everybody[i], *everybody[j]));
        }
        const auto take = std::size_t(report.groups[std::size_t(groupOf[i])].people - 1);
        std::partial_sort(scores.begin(), scores.begin() + std::ptrdiff_t(take), scores.end(), std::greater<>());
        for (std::size_t k = 0; k < take; ++k)
            twiceBound += scores[k];
    }
    report.bound = twiceBound / 2;
    report.percentOfBound = report.bound > 0 ? 100.0 * double(report.total.score) / double(report.bound) : 100.0;
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
