// SPDX-License-Identifier: GPL-3.0-or-later
// Rounds in which people meet new people: each round is Calculate, then
// Improve keeping apart everyone who shared a group in the earlier rounds.
// Prints per round the pairs that met before, the score, its share of the
// first round's score and the time Improve took.

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
#include <numeric>

using namespace quorvia;

namespace {

// What no grouping into fours can pass once earlier partners are ruled out:
// half the sum over everybody of their three best scores with people they
// have not met (quadratic: small pools only).
long long boundWithout(const std::vector<ProfileRecord> &records, const PairHistory &history)
{
    long long twice = 0;
    for (std::size_t a = 0; a < records.size(); ++a) {
        std::vector<int> scores;
        for (std::size_t b = 0; b < records.size(); ++b) {
            if (a != b && !history.met(int(a + 1), int(b + 1)))
                scores.push_back(CompatibilityScore(records[a], records[b]));
        }
        std::partial_sort(scores.begin(), scores.begin() + 3, scores.end(), std::greater<int>());
        twice += scores[0] + scores[1] + scores[2];
    }
    return twice / 2;
}

// Returns false when a round repeated a pair or fell under `minShare` of the first.
bool runRounds(int people, int rounds, double minShare)
{
    const std::vector<ProfileRecord> records = testing::PoolGenerator(2026).pool(people, {});
    std::vector<int> everybody(records.size());
    std::iota(everybody.begin(), everybody.end(), 1);
    const GroupTable start = buildGroups(records, SizeOption::PeoplePerGroup, 4);
    const std::vector<int> numbers = recordNumbersOf(start, records, everybody);

    std::printf("\n%d people, groups of 4, %d rounds\n", people, rounds);
    std::printf("round  repeats  score      of round 1  improve s  cpu s  bound without earlier partners\n");
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
        const QString bound = people <= 1000 ? QString::number(boundWithout(records, history)) : QStringLiteral("-");
        std::printf("%5d  %7lld  %9lld  %9.1f%%  %9.2f  %5.2f  %s\n", round, repeats, score, share, seconds, cpu,
                    qPrintable(bound));
        if (minShare > 0 && (repeats > 0 || share < minShare))
            met = false;
        history.addGroups(groupsAsRecords(improved, placed));
    }
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1) {  // one size only: bench_rounds PEOPLE ROUNDS
        runRounds(std::atoi(argv[1]), argc > 2 ? std::atoi(argv[2]) : 5, 0);
        return 0;
    }
    const bool small = runRounds(120, 5, 85.0);
    std::printf("120 people: %s\n", small ? "no pair met twice, every round >= 85% of round 1" : "TARGET MISSED");
    runRounds(300, 10, 0);
    runRounds(32767, 3, 0);
    return small ? 0 : 1;
}
