// SPDX-License-Identifier: GPL-3.0-or-later
// Improve with the group rules: how long it takes, whether every rule is met,
// and how much of the score without rules it keeps. Prints a table; asserts
// nothing.
//
//   bench_rules [--seeds N] [--small]   (--small: leave out 32,767 people)
//
// Scenarios: 300 people in groups of 4 with 2 apart and 2 together pairs, a
// spread, a not-alone, mix positions and lift the weakest; 32,767 people in
// groups of 4 with 5 spread rules, 200 apart and 100 together pairs; and the
// same 300 people with rules that name nobody and no trait anyone has, against
// no rules at all.

#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupQuality.h"
#include "grouping/PoolGenerator.h"
#include "grouping/RecordNumbers.h"
#include "rules/RulesCheck.h"
#include "rules/RulesFile.h"
#include "rules/RulesPenalty.h"

#include <QString>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Outcome {
    double seconds = 0;
    std::int64_t score = 0;
    std::int64_t lowest = 0;
    int met = 0;
    int rules = 0;
    int unmeetable = 0;  // of those broken, provably
    double cpu = 0;
    QString broken;  // the first rules left broken, with where
};

Outcome run(const GroupTable &start, const std::vector<ProfileRecord> &pool, const RuleSet &rules, bool withRules)
{
    std::vector<int> everybody(pool.size());
    for (std::size_t i = 0; i < everybody.size(); ++i)
        everybody[i] = int(i + 1);
    const auto begin = Clock::now();
    const std::clock_t cpuBegin = std::clock();
    ImproveOptions options;
    std::unique_ptr<RulesPenalty> penalty;
    if (withRules) {
        penalty = std::make_unique<RulesPenalty>(rules, start, pool, recordNumbersOf(start, pool, everybody));
        options.penalty = penalty->isEmpty() ? nullptr : penalty.get();
        options.liftWeakest = rules.liftWeakest;
    }
    const GroupTable improved = improveGroups(start, options).groups;
    Outcome outcome;
    outcome.seconds = secondsSince(begin);
    outcome.cpu = double(std::clock() - cpuBegin) / CLOCKS_PER_SEC;
    // What the window and the command line would refuse as never to be met.
    std::vector<bool> cannot(rules.rules.size(), false);
    for (const RuleProblem &problem : infeasibleRules(rules, start, pool, recordNumbersOf(start, pool, everybody), {}))
        cannot[std::size_t(problem.rule)] = true;
    const QualityReport report = assessGroups(improved);
    outcome.score = report.total.score;
    outcome.lowest = report.groups.empty() ? 0 : report.groups.front().score;
    for (const GroupFit &fit : report.groups)
        outcome.lowest = std::min(outcome.lowest, fit.score);
    for (const RuleStatus &status : checkRules(rules, improved, pool, recordNumbersOf(improved, pool, everybody))) {
        ++outcome.rules;
        outcome.met += status.met;
        const bool never = status.rule >= 0 && std::size_t(status.rule) < cannot.size() && cannot[std::size_t(status.rule)];
        outcome.unmeetable += !status.met && never;
        if (!status.met && outcome.broken.size() < 2000)
            outcome.broken += QStringLiteral("\n    broken%1: %2 (%3)")
                                  .arg(never ? QStringLiteral(" (cannot be met)") : QString(),
                                       status.text, status.detail.left(120));
    }
    return outcome;
}

// Distinct record numbers, never one used before.
int freshRecord(std::mt19937 &random, int n, std::set<int> &used)
{
    std::uniform_int_distribution<int> pick(1, n);
    for (;;) {
        const int r = pick(random);
        if (used.insert(r).second)
            return r;
    }
}

// As a user would after being told: no pair kept together shares a trait
// that is to be spread, which could make the spread impossible.
RuleSet makeRules(const std::vector<ProfileRecord> &pool, int apart, int together, const QString &traitRules, bool lift,
                  std::mt19937 &random)
{
    const int n = int(pool.size());
    const RuleSet spreads = parseRules(traitRules).rules;
    const auto shareSpreadTrait = [&](int a, int b) {
        for (const GroupRule &rule : spreads.rules) {
            if (rule.kind == RuleKind::Spread && hasTrait(pool[std::size_t(a - 1)], rule.trait)
                && hasTrait(pool[std::size_t(b - 1)], rule.trait))
                return true;
        }
        return false;
    };
    QString text = traitRules;
    std::set<int> used;
    for (int i = 0; i < apart; ++i)
        text += QStringLiteral("apart %1 %2\n").arg(freshRecord(random, n, used)).arg(freshRecord(random, n, used));
    for (int i = 0; i < together; ++i) {
        const int a = freshRecord(random, n, used);
        int b = freshRecord(random, n, used);
        while (shareSpreadTrait(a, b))
            b = freshRecord(random, n, used);
        text += QStringLiteral("together %1 %2\n").arg(a).arg(b);
    }
    if (lift)
        text += QStringLiteral("lift-weakest\n");
    const RulesText parsed = parseRules(text);
    if (parsed.errorLine != 0)
        std::fprintf(stderr, "bad rules, line %d: %s\n", parsed.errorLine, qPrintable(parsed.error));
    return parsed.rules;
}

void scenario(const char *name, int n, int apart, int together, const QString &traitRules, bool lift, int seeds)
{
    for (int seed = 1; seed <= seeds; ++seed) {
        PoolGenerator generator{std::uint32_t(seed)};
        const std::vector<ProfileRecord> pool = generator.pool(n, {});
        std::mt19937 random{std::uint32_t(seed)};
        const RuleSet rules = makeRules(pool, apart, together, traitRules, lift, random);
        const GroupTable start = buildGroups(pool, SizeOption::PeoplePerGroup, 4);
        const Outcome plain = run(start, pool, rules, false);
        const Outcome ruled = run(start, pool, rules, true);
        std::printf("%-28s %6d %4d | %6.2f %6.2f %9lld %6lld %3d/%-3d | %6.2f %6.2f %9lld %6lld %3d/%-3d %3d | "
                    "%6.1f%%\n",
                    name, n, seed, plain.seconds, plain.cpu, (long long)plain.score, (long long)plain.lowest,
                    plain.met, plain.rules, ruled.seconds, ruled.cpu, (long long)ruled.score,
                    (long long)ruled.lowest, ruled.met, ruled.rules, ruled.unmeetable,
                    plain.score > 0 ? 100.0 * double(ruled.score) / double(plain.score) : 100.0);
        if (ruled.met < ruled.rules)
            std::printf("%s\n", qPrintable(ruled.broken));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    int seeds = 3;
    bool large = true;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seeds") == 0)
            seeds = std::max(1, std::atoi(argv[i + 1]));
    }
    for (int i = 1; i < argc; ++i)
        large = large && std::strcmp(argv[i], "--small") != 0;
    std::printf("%-28s %6s %4s | %-40s | %-44s | %s\n", "scenario", "people", "seed",
                "without rules: wall s, cpu s, score, low, met", "with rules: wall, cpu, score, low, met, cannot",
                "kept");
    scenario("300, all kinds, lift", 300, 2, 2, QStringLiteral("spread Expert\nnot-alone Beginner\nmix-positions\n"),
             true, seeds);
    // Lift the weakest puts the lowest group before the total: the same rules without it.
    scenario("300, all kinds, no lift", 300, 2, 2, QStringLiteral("spread Expert\nnot-alone Beginner\nmix-positions\n"),
             false, seeds);
    if (large)
        scenario("32767, 5 spread, 200+100", 32767, 200, 100,
             QStringLiteral("spread Expert\nspread Beginner\nspread Creative\nspread Technical\nspread Older\n"), false,
             1);
    // Rules with nothing to meet: no penalty reaches Improve.
    scenario("300, nothing to meet", 300, 0, 0, QStringLiteral("off spread Expert\n"), false, seeds);
    return 0;
}
