// SPDX-License-Identifier: GPL-3.0-or-later
// Rounds in which people meet new people: each round is Calculate, then
// Improve keeping apart everyone who shared a group in the earlier rounds.
// Prints per round the pairs that met before, the score, its share of the
// first round's score and the time Improve took.

#include "grouping/PartitionBound.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupQuality.h"
#include "grouping/PoolGenerator.h"
#include "grouping/RecordNumbers.h"
#include "rounds/PairHistory.h"
#include "rounds/RepeatPairsPenalty.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <numeric>

using namespace quorvia;

namespace {

// A pair who met in an earlier round: no grouping that avoids earlier
// partners may put them together.
constexpr int kForbidden = -1000000;

// The pair scores of a round as an n x n matrix (row-major, 0 on the
// diagonal), earlier partners set to kForbidden: what a bound for the round
// needs besides the number of groups and their size.
std::vector<int> pairScoresWithout(const std::vector<ProfileRecord> &records, const PairHistory &history)
{
    const std::size_t n = records.size();
    std::vector<int> scores(n * n, 0);
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n; ++b) {
            const int s = history.met(int(a + 1), int(b + 1)) ? kForbidden : CompatibilityScore(records[a], records[b]);
            scores[a * n + b] = scores[b * n + a] = s;
        }
    }
    return scores;
}

// What no grouping into groups of `size` can pass: half the sum over
// everybody of their size - 1 best scores with people they may meet.
long long simpleBound(const std::vector<int> &scores, std::size_t n, int size)
{
    long long twice = 0;
    std::vector<int> row;
    for (std::size_t a = 0; a < n; ++a) {
        row.clear();
        for (std::size_t b = 0; b < n; ++b) {
            if (a != b && scores[a * n + b] != kForbidden)
                row.push_back(scores[a * n + b]);
        }
        const std::size_t best = std::min(row.size(), std::size_t(size - 1));
        std::partial_sort(row.begin(), row.begin() + std::ptrdiff_t(best), row.end(), std::greater<int>());
        for (std::size_t k = 0; k < best; ++k)
            twice += row[k];
    }
    return twice / 2;
}

// Returns false when a round repeated a pair or fell under `minShare` of the first.
bool runRounds(int people, int rounds, double minShare, std::uint32_t seed = 2026,
               testing::TraitStyle style = testing::TraitStyle::Realistic)
{
    const std::vector<ProfileRecord> records = testing::PoolGenerator(seed).pool(people, {style});
    std::vector<int> everybody(records.size());
    std::iota(everybody.begin(), everybody.end(), 1);
    const GroupTable start = buildGroups(records, SizeOption::PeoplePerGroup, 4);
    const std::vector<int> numbers = recordNumbersOf(start, records, everybody);

    std::printf("\n%d people, groups of 4, %d rounds\n", people, rounds);
    std::printf("round  repeats  score      of round 1  improve s  cpu s  bound without earlier partners"
                "  proven best (of round 1)\n");
    PairHistory history;
    long long first = 0;
    bool met = true;
    for (int round = 1; round <= rounds; ++round) {
        RepeatPairsPenalty penalty(start, numbers, history);
        ImproveOptions options;
        options.penalty = history.isEmpty() ? nullptr : &penalty;
        options.workBudget = qEnvironmentVariableIntValue("BENCH_BUDGET");
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const GroupTable improved = improveGroups(start, options).groups;
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const std::vector<int> placed = recordNumbersOf(improved, records, everybody);
        const long long repeats = countRepeats(improved, placed, history).total;
        const long long score = assessGroups(improved).total.score;
        if (round == 1)
            first = score;
        const double share = first > 0 ? 100.0 * double(score) / double(first) : 100.0;
        QString bound = QStringLiteral("-");
        if (people <= 1000)
            bound = QString::number(simpleBound(pairScoresWithout(records, history), records.size(), start.GroupSize));
        // The linear program over groups proves how far any grouping that
        // keeps earlier partners apart can go: a round below 85% may be the pool.
        QString proven = QStringLiteral("-");
        if (people <= 150) {
            const std::vector<int> scores = pairScoresWithout(records, history);
            const long long best =
                partitionBound(scores, int(records.size()), start.NumGroups, start.GroupSize).bound;
            proven = QStringLiteral("%1 (%2%)").arg(best).arg(first > 0 ? 100.0 * double(best) / double(first) : 100.0,
                                                             0, 'f', 1);
        }
        std::printf("%5d  %7lld  %9lld  %9.1f%%  %9.2f  %5.2f  %30s  %s\n", round, repeats, score, share, seconds, cpu,
                    qPrintable(bound), qPrintable(proven));
        if (minShare > 0 && (repeats > 0 || share < minShare))
            met = false;
        history.addGroups(groupsAsRecords(improved, placed));
    }
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1) {  // one size only: bench_rounds PEOPLE [ROUNDS [SEED [dense]]]
        runRounds(std::atoi(argv[1]), argc > 2 ? std::atoi(argv[2]) : 5, 0,
                  argc > 3 ? std::uint32_t(std::atoi(argv[3])) : 2026,
                  argc > 4 && std::strcmp(argv[4], "dense") == 0 ? testing::TraitStyle::Dense
                                                                  : testing::TraitStyle::Realistic);
        return 0;
    }
    const bool small = runRounds(120, 5, 85.0);
    std::printf("120 people: %s\n", small ? "no pair met twice, every round >= 85% of round 1" : "TARGET MISSED");
    runRounds(300, 10, 0);
    runRounds(32767, 3, 0);
    return small ? 0 : 1;
}
