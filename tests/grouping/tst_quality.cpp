// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/BestPossible.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupPricing.h"
#include "grouping/GroupQuality.h"
#include "grouping/PairScan.h"
#include "grouping/PartitionBound.h"
#include "grouping/PoolGenerator.h"
#include "grouping/QualityTracker.h"
#include "grouping/ReferenceGroupBuilder.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The measure as it reads: every pair of every group, and for the bound every
// person's scores against everybody sorted.
QualityReport plainReport(const GroupTable &t)
{
    QualityReport report;
    std::vector<const ProfileRecord *> everybody;
    std::vector<int> groupOf;
    for (int g = 0; g < t.NumGroups; ++g) {
        GroupFit fit;
        for (int s = 0; s < t.GroupSize; ++s) {
            if (!isPerson(t.at(g, s)))
                continue;
            ++fit.people;
            everybody.push_back(&t.at(g, s));
            groupOf.push_back(g);
            for (int u = 0; u < s; ++u) {
                if (!isPerson(t.at(g, u)))
                    continue;
                const int score = reference::CompatibilityScore(t.at(g, s), t.at(g, u));
                fit.score += score;
                fit.conflicts += score < 0 ? 1 : 0;
            }
        }
        report.groups.push_back(fit);
        report.total.people += fit.people;
        report.total.score += fit.score;
        report.total.conflicts += fit.conflicts;
    }
    std::int64_t twice = 0;
    for (std::size_t i = 0; i < everybody.size(); ++i) {
        std::vector<int> scores;
        for (std::size_t j = 0; j < everybody.size(); ++j)
            if (j != i)
                scores.push_back(reference::CompatibilityScore(*everybody[i], *everybody[j]));
        std::sort(scores.begin(), scores.end(), std::greater<>());
        for (int k = 0; k < report.groups[std::size_t(groupOf[i])].people - 1; ++k)
            twice += scores[std::size_t(k)];
    }
    report.bound = twice / 2;
    return report;
}

QString figures(const QualityReport &r)
{
    QStringList parts;
    for (const GroupFit &g : r.groups)
        parts << QStringLiteral("%1/%2/%3").arg(g.people).arg(g.score).arg(g.conflicts);
    return parts.join(' ') + QStringLiteral(" total %1/%2/%3 bound %4")
                                 .arg(r.total.people).arg(r.total.score).arg(r.total.conflicts).arg(r.bound);
}

// The best total of n people in at most `groups` groups of at most `size`,
// by trying every assignment of people to groups.
std::int64_t bestByTrying(int n, int groups, int size, const std::function<int(int, int)> &score)
{
    std::int64_t best = n == 0 ? 0 : std::numeric_limits<std::int64_t>::min();
    std::vector<int> groupOf(std::size_t(n), 0);
    while (n > 0) {
        std::vector<int> count(std::size_t(groups), 0);
        std::int64_t total = 0;
        bool fits = true;
        for (int i = 0; i < n; ++i) {
            fits = fits && ++count[std::size_t(groupOf[std::size_t(i)])] <= size;
            for (int j = 0; j < i; ++j)
                if (groupOf[std::size_t(i)] == groupOf[std::size_t(j)])
                    total += score(i, j);
        }
        if (fits)
            best = std::max(best, total);
        std::size_t k = 0;  // the next assignment, counting in base `groups`
        while (k < groupOf.size() && ++groupOf[k] == groups)
            groupOf[k++] = 0;
        if (k == groupOf.size())
            break;
    }
    return best;
}

// An n x n symmetric score table, row by row, each pair drawn once.
std::vector<int> symmetricScores(int n, const std::function<int()> &draw)
{
    std::vector<int> scores(std::size_t(n * n), 0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            scores[std::size_t(i * n + j)] = scores[std::size_t(j * n + i)] = draw();
    return scores;
}

} // namespace

class TestQuality : public QObject {
    Q_OBJECT

private slots:
    // Both the pairwise sums of large groups and the bound's counting around a
    // guessed threshold agree with the sorted scores, on every scan method.
    void measureAgreesWithPlainSums()
    {
        PoolGenerator gen(41u);
        for (int round = 0; round < 40; ++round) {
            const GroupTable t = randomTable(gen, round % 4 == 0 ? 700 : 120);
            QCOMPARE(figures(assessGroups(t)), figures(plainReport(t)));
        }
        const std::vector<ProfileRecord> pool = gen.poolAtDensity(600, 0.3);
        std::vector<grouping::TraitMasks> masks(pool.begin(), pool.end());
        for (auto method : {grouping::PairScan::Method::Portable, grouping::PairScan::Method::Vector}) {
            if (!grouping::PairScan::available(method))
                continue;
            const grouping::PairScan scan(masks, method);
            grouping::PairScan::Row row;
            std::vector<int> best;
            for (int p = 0; p < 600; p += 37) {
                std::vector<std::pair<int, int>> scores;  // (-score, index): the best first, the lower index on a tie
                for (int q = 0; q < 600; ++q)
                    if (q != p)
                        scores.push_back({-reference::CompatibilityScore(pool[std::size_t(p)], pool[std::size_t(q)]), q});
                std::sort(scores.begin(), scores.end());
                for (int take : {1, 3, 60, 300, 599}) {
                    std::int64_t sum = 0;
                    for (int k = 0; k < take; ++k)
                        sum -= scores[std::size_t(k)].first;
                    QCOMPARE(scan.topSum(p, take, row), sum);
                }
                scan.best(p, 16, &best, row);
                std::vector<int> expected;
                for (int k = 0; k < 16; ++k)
                    expected.push_back(scores[std::size_t(k)].second);
                std::sort(expected.begin(), expected.end());
                QVERIFY(best == expected);
            }
            // A row kept from a scan of more people must not bring their scores along.
            const std::vector<grouping::TraitMasks> fewer(masks.begin(), masks.begin() + 590);
            std::int64_t all = 0;
            for (std::size_t q = 1; q < 590; ++q)
                all += reference::CompatibilityScore(pool[0], pool[q]);
            QCOMPARE(grouping::PairScan(fewer, method).topSum(0, 589, row), all);
        }
    }

    // Everybody walks from one group into the other, so every person's group
    // size passes through every value and their counts must be taken again.
    // From 4,096 people the rows are shared among threads: the bound must be
    // the single-threaded sum of the (checked) rows, at reset of the tracker too.
    void sharedRowsGiveTheSameBound()
    {
        const std::vector<ProfileRecord> pool = PoolGenerator(44u).poolAtDensity(4500, 0.2);
        const GroupTable t = buildGroups(pool, SizeOption::PeoplePerGroup, 5);
        const std::vector<grouping::TraitMasks> masks(t.slotRecords.begin(), t.slotRecords.end());
        const grouping::PairScan scan(masks);
        grouping::PairScan::Row row;
        std::int64_t twice = 0;
        for (int g = 0; g < t.NumGroups; ++g) {
            int people = 0;
            for (int s = 0; s < t.GroupSize; ++s)
                people += isPerson(t.at(g, s)) ? 1 : 0;
            for (int s = 0; s < people; ++s)
                twice += scan.topSum(g * t.GroupSize + s, people - 1, row);
        }
        QCOMPARE(assessGroups(t).bound, twice / 2);
        QualityTracker tracker;
        tracker.reset(t);
        QCOMPARE(figures(tracker.report()), figures(assessGroups(t)));
    }

    void trackerFollowsEveryGroupSize()
    {
        for (int n : {40, 300}) {
            GroupTable t{2, n, PoolGenerator(43u).poolAtDensity(n, 0.3)};
            t.slotRecords.resize(std::size_t(2 * n));
            QualityTracker tracker;
            tracker.reset(t);
            for (int p = 0; p < n; ++p) {
                tracker.move(p, 1);
                std::swap(t.slotRecords[std::size_t(p)], t.slotRecords[std::size_t(n + p)]);
                QCOMPARE(figures(tracker.report()), figures(assessGroups(t)));
            }
        }
    }

    // The best possible is never below any grouping into the slots: on small
    // pools it is the best found by trying every one (whatever the sizes,
    // free slots included), on larger ones above what Improve reaches and
    // below the plain bound when every slot is taken. The linear program over
    // groups, on its own: never below the best of small pools with negative
    // and forbidding scores and free places, and the best itself where that
    // is plain.
    void bestPossibleIsProven()
    {
        PoolGenerator gen(17u);
        for (int round = 0; round < 60; ++round) {
            const GroupTable t = randomTable(gen, 9);
            std::vector<const ProfileRecord *> people;
            for (const ProfileRecord &r : t.slotRecords)
                if (isPerson(r))
                    people.push_back(&r);
            if (std::pow(double(t.NumGroups), double(people.size())) > 2e5) {
                --round;  // too many groupings to try
                continue;
            }
            const BestPossible found = bestPossible(t);
            QVERIFY(found.exact);
            QCOMPARE(found.bound, bestByTrying(int(people.size()), t.NumGroups, t.GroupSize, [&](int i, int j) {
                         return reference::CompatibilityScore(*people[std::size_t(i)], *people[std::size_t(j)]);
                     }));
        }
        for (int round = 0; round < 40; ++round) {
            const int n = gen.between(3, 9), size = gen.between(2, 4);
            const int least = (n + size - 1) / size;
            const int groups = gen.between(least, std::max(least, std::min(n, 4)));
            if (std::pow(double(groups), double(n)) > 2e5) {
                --round;
                continue;
            }
            const std::vector<int> scores =
                symmetricScores(n, [&] { return gen.between(0, 9) == 0 ? -1000 : gen.between(-6, 9); });
            const std::int64_t best = bestByTrying(n, groups, size, [&](int i, int j) { return scores[std::size_t(i * n + j)]; });
            // Stopped early or not, the figure holds.
            for (long long work : {0LL, 30LL, kPartitionWork})
                QVERIFY(partitionBound(scores, n, groups, size, work).bound >= best);
        }
        {
            // Cliques of 5 people at 5 a pair, everything else 0 or below: no
            // grouping, and no mix of groups, beats the cliques.
            const int n = 30;
            std::vector<int> scores(std::size_t(n * n));
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    scores[std::size_t(i * n + j)] = i == j ? 0 : i % 6 == j % 6 ? 5 : -((i * j) % 3);
            const PartitionBound lp = partitionBound(scores, n, 6, 5);
            QCOMPARE(lp.bound, std::int64_t(6 * 10 * 5));
            QVERIFY(lp.solved);
        }
        for (int round = 0; round < 12; ++round) {
            const int n = gen.between(17, 90);
            const bool twoGroups = round % 4 == 3;  // large groups: pairs in halves, untuned
            const GroupTable t = buildGroups(gen.poolAtDensity(n, round % 2 ? 0.3 : 0.1),
                                             twoGroups ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup,
                                             twoGroups || round % 3 == 0 ? 2 : gen.between(3, 8));
            ImproveOptions options;
            options.workBudget = 400000;
            const BestPossible found = bestPossible(t);
            const QualityReport report = assessGroups(t);
            QVERIFY(!found.exact);
            QVERIFY(found.bound >= assessGroups(improveGroups(t, options).groups).total.score);
            if (report.total.people == t.NumGroups * t.GroupSize)
                QVERIFY(found.bound <= report.bound);
        }
        {
            // 16 people like what 15 others have: 1 a pair across, 0 within,
            // in 2 groups of 16. At best 8 + 8 and 8 + 7: 120.
            std::vector<ProfileRecord> people = gen.poolAtDensity(31, 0);
            for (std::size_t i = 0; i < people.size(); ++i)
                (i % 2 ? people[i].OwnAttributes : people[i].CompatibleWith)[0] = kTrue;
            const BestPossible found = bestPossible(buildGroups(people, SizeOption::AmountOfGroups, 2));
            QVERIFY(found.bound >= 120);
            QVERIFY(found.bound <= (16 * 15 + 15 * 15) / 2);  // halves of everybody's 15 best
        }
    }

    // The search for the group worth most at given prices (its size within
    // limits), against trying every group: exact when it may finish, never
    // below the best when stopped, and every group it reports (the cheap
    // search's too) worth what it says.
    void groupSearchFindsTheBest()
    {
        PoolGenerator gen(29u);
        for (int round = 0; round < 80; ++round) {
            const int n = gen.between(4, 12), size = gen.between(1, 6), least = gen.between(1, size);
            const std::vector<int> scores = symmetricScores(n, [&] { return gen.between(-6, 9); });
            std::vector<double> price(static_cast<std::size_t>(n));
            for (double &y : price)
                y = gen.between(-20, 120) / 8.0;
            const double countPrice = gen.between(0, 20) / 4.0;
            auto valueOf = [&](const std::vector<int> &people) {
                double value = -countPrice;
                for (std::size_t a = 0; a < people.size(); ++a) {
                    value -= price[std::size_t(people[a])];
                    for (std::size_t b = 0; b < a; ++b)
                        value += scores[std::size_t(people[a] * n + people[b])];
                }
                return value;
            };
            double best = 0;
            for (unsigned set = 1; set < (1u << n); ++set) {
                if (__builtin_popcount(set) > size || __builtin_popcount(set) < least)
                    continue;
                std::vector<int> people;
                for (int p = 0; p < n; ++p)
                    if (set & (1u << p))
                        people.push_back(p);
                best = std::max(best, valueOf(people));
            }
            grouping::GroupPricing pricing(scores, n, least, size);
            pricing.setPrices(price, countPrice);
            const auto found = pricing.exact(1LL << 40, 1e-6);
            QVERIFY2(std::abs(found.best - best) < 1e-9, qPrintable(QStringLiteral("round %1").arg(round)));
            QVERIFY(std::isinf(found.unexplored));
            const auto stopped = pricing.exact(gen.between(0, 40), 1e-6);
            QVERIFY(std::max(stopped.best, stopped.unexplored) >= best - 1e-9);
            long long work = 0;
            const std::vector<int> pair = size > 1 ? std::vector<int>{0, 1} : std::vector<int>{1};
            auto groups = pricing.improveFrom({{0}, {n - 1}, pair}, 1e-6, work);
            groups.insert(groups.end(), found.groups.begin(), found.groups.end());
            for (const auto &g : groups) {
                QVERIFY(int(g.people.size()) <= size && int(g.people.size()) >= least);
                QVERIFY(std::is_sorted(g.people.begin(), g.people.end()));
                QVERIFY(std::abs(g.value - valueOf(g.people)) < 1e-9 && g.value > 1e-6);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestQuality)
#include "tst_quality.moc"
