// SPDX-License-Identifier: GPL-3.0-or-later
// Compares Improve with baselines on the quality measure: the Calculate
// groups, a plain local search (the best improving swap or move each time
// until none is left: "ls" over every pair, quadratic, for small pools;
// "pls" over the partners' groups, for any size), an iterated local search
// given Improve's CPU time ("ils") and ten times it ("ils10"), and a genetic
// algorithm of the kind team-forming programs use (random assignments,
// tournament selection, ordered crossover, swap mutation, elitism). Prints
// total, percentage of the best possible bound and time for each, and the
// bound's ratio to the best total found; asserts nothing. With --exact, a
// table of small pools (say 12 to 40 people): the bound is the exact best up
// to 16 people, and beyond the best is proven where the bound equals the best
// total found; prints the bound's ratio to it, on average and at worst.
// The baselines live here only.
//
//   bench_improve [--sizes 60,300,1000] [--layouts 4,5,g10] [--densities 5,15,30]
//                 [--methods calc,ls,pls,ils,ils10,ga300,ga3000,improve] [--ga-seconds 10]
//                 [--ls-max 1000] [--ga-max 1000] [--exact 12,16]
//
// Layouts: a number k is "groups of k", gK is "K groups"; sizes up to 32767.
// The defaults are kept small for a shared machine: the genetic algorithm
// stops after 100 generations without gain or --ga-seconds (60 for the full
// comparison); the quadratic local search is skipped above --ls-max people
// (it takes two minutes at 4,000) and the genetic algorithm above --ga-max.

#include "LocalSearchBaselines.h"
#include "grouping/BestPossible.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupQuality.h"
#include "grouping/PoolGenerator.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <numeric>
#include <random>
#include <string>

using namespace quorvia;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// CPU seconds of the whole process (all threads): on a shared machine the
// wall time says more about the neighbours than about the method.
double cpuNow() { return double(std::clock()) / CLOCKS_PER_SEC; }

// Pair scores of the selected people, computed once.
struct PairScores {
    int n = 0;
    std::vector<std::int8_t> score;
    explicit PairScores(const std::vector<ProfileRecord> &people) : n(int(people.size()))
    {
        score.resize(std::size_t(n) * std::size_t(n));
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j) {
                const auto s = std::int8_t(i == j ? 0 : CompatibilityScore(people[std::size_t(i)], people[std::size_t(j)]));
                score[std::size_t(i) * std::size_t(n) + std::size_t(j)] = s;
                score[std::size_t(j) * std::size_t(n) + std::size_t(i)] = s;
            }
    }
    int at(int i, int j) const { return score[std::size_t(i) * std::size_t(n) + std::size_t(j)]; }
};

// An assignment: the group of every person, every group holding at most `width` people.
struct Assignment {
    int groups = 0, width = 0;
    std::vector<int> groupOf;
};

long long totalOf(const Assignment &a, const PairScores &d)
{
    std::vector<std::vector<int>> members(static_cast<std::size_t>(a.groups));
    for (int p = 0; p < d.n; ++p)
        members[std::size_t(a.groupOf[std::size_t(p)])].push_back(p);
    long long total = 0;
    for (const auto &m : members)
        for (std::size_t x = 0; x < m.size(); ++x)
            for (std::size_t y = x + 1; y < m.size(); ++y)
                total += d.at(m[x], m[y]);
    return total;
}

// The people of a table in slot order, and their groups.
Assignment assignmentOf(const GroupTable &t, const std::vector<ProfileRecord> &people)
{
    Assignment a{t.NumGroups, t.GroupSize, std::vector<int>(people.size(), -1)};
    // People have unique last names "LastN".
    for (int g = 0; g < t.NumGroups; ++g)
        for (int s = 0; s < t.GroupSize; ++s) {
            const ProfileRecord &r = t.at(g, s);
            if (r.HasData == 0)
                continue;
            const int index = trimmedField(r.LastName).mid(4).toInt();
            a.groupOf[std::size_t(index)] = g;
        }
    return a;
}

// ------------------------------------------------------------ plain local search

// From the given groups: each step scans every swap of two people in
// different groups and every move into a free slot and takes the best
// improving one (the first found on a tie), until none is left.
long long plainLocalSearch(Assignment a, const PairScores &d)
{
    const int n = d.n, groups = a.groups;
    std::vector<int> gamma(std::size_t(n) * std::size_t(groups), 0);  // score of p against group g, p left out
    std::vector<int> size(static_cast<std::size_t>(groups), 0);
    for (int p = 0; p < n; ++p)
        ++size[std::size_t(a.groupOf[std::size_t(p)])];
    for (int p = 0; p < n; ++p)
        for (int q = 0; q < n; ++q)
            if (q != p)
                gamma[std::size_t(p) * std::size_t(groups) + std::size_t(a.groupOf[std::size_t(q)])] += d.at(p, q);
    auto g = [&](int p, int grp) { return gamma[std::size_t(p) * std::size_t(groups) + std::size_t(grp)]; };
    auto moveTo = [&](int p, int to) {
        const int from = a.groupOf[std::size_t(p)];
        for (int q = 0; q < n; ++q) {
            if (q == p)
                continue;
            gamma[std::size_t(q) * std::size_t(groups) + std::size_t(from)] -= d.at(q, p);
            gamma[std::size_t(q) * std::size_t(groups) + std::size_t(to)] += d.at(q, p);
        }
        --size[std::size_t(from)];
        ++size[std::size_t(to)];
        a.groupOf[std::size_t(p)] = to;
    };
    for (;;) {
        long long best = 0;
        int bi = -1, bj = -1, bg = -1;
        for (int i = 0; i < n; ++i) {
            const int gi = a.groupOf[std::size_t(i)];
            for (int grp = 0; grp < groups; ++grp) {
                if (grp != gi && size[std::size_t(grp)] < a.width && g(i, grp) - g(i, gi) > best) {
                    best = g(i, grp) - g(i, gi);
                    bi = i, bj = -1, bg = grp;
                }
            }
            for (int j = i + 1; j < n; ++j) {
                const int gj = a.groupOf[std::size_t(j)];
                if (gj == gi)
                    continue;
                const long long delta = g(i, gj) - g(i, gi) + g(j, gi) - g(j, gj) - 2 * d.at(i, j);
                if (delta > best) {
                    best = delta;
                    bi = i, bj = j, bg = gj;
                }
            }
        }
        if (bi < 0)
            break;
        const int gi = a.groupOf[std::size_t(bi)];
        moveTo(bi, bg);
        if (bj >= 0)
            moveTo(bj, gi);
    }
    return totalOf(a, d);
}

// ------------------------------------------------------------ genetic algorithm

// A chromosome is a permutation of the slots' contents: people 0..n-1 and
// dummies n.. for the free slots; slot k belongs to group k / width.
long long geneticAlgorithm(int groups, int width, const PairScores &d, int population, double seconds,
                           int *generations)
{
    const int n = d.n, length = groups * width;
    std::mt19937 random(12345u);
    auto fitness = [&](const std::vector<int> &c) {
        long long total = 0;
        for (int g = 0; g < groups; ++g)
            for (int x = 0; x < width; ++x) {
                const int p = c[std::size_t(g * width + x)];
                if (p >= n)
                    continue;
                for (int y = x + 1; y < width; ++y) {
                    const int q = c[std::size_t(g * width + y)];
                    if (q < n)
                        total += d.at(p, q);
                }
            }
        return total;
    };
    std::vector<std::vector<int>> pop(static_cast<std::size_t>(population), std::vector<int>(static_cast<std::size_t>(length)));
    std::vector<long long> fit(static_cast<std::size_t>(population));
    for (int k = 0; k < population; ++k) {
        std::iota(pop[std::size_t(k)].begin(), pop[std::size_t(k)].end(), 0);
        std::shuffle(pop[std::size_t(k)].begin(), pop[std::size_t(k)].end(), random);
        fit[std::size_t(k)] = fitness(pop[std::size_t(k)]);
    }
    std::uniform_int_distribution<int> pick(0, population - 1), cut(0, length - 1);
    auto tournament = [&]() {
        int best = pick(random);
        for (int k = 1; k < 3; ++k) {
            const int other = pick(random);
            if (fit[std::size_t(other)] > fit[std::size_t(best)])
                best = other;
        }
        return best;
    };
    const int elite = std::max(1, population / 100);
    long long best = *std::max_element(fit.begin(), fit.end());
    int sinceGain = 0;
    *generations = 0;
    const auto start = Clock::now();
    std::vector<std::vector<int>> next(static_cast<std::size_t>(population), std::vector<int>(static_cast<std::size_t>(length)));
    std::vector<long long> nextFit(static_cast<std::size_t>(population));
    std::vector<char> used(static_cast<std::size_t>(length));
    std::vector<int> order(static_cast<std::size_t>(population));
    while (sinceGain < 100 && secondsSince(start) < seconds) {
        std::iota(order.begin(), order.end(), 0);
        std::partial_sort(order.begin(), order.begin() + elite, order.end(),
                          [&](int x, int y) { return fit[std::size_t(x)] > fit[std::size_t(y)]; });
        for (int k = 0; k < elite; ++k) {
            next[std::size_t(k)] = pop[std::size_t(order[std::size_t(k)])];
            nextFit[std::size_t(k)] = fit[std::size_t(order[std::size_t(k)])];
        }
        for (int k = elite; k < population; ++k) {
            const std::vector<int> &a = pop[std::size_t(tournament())];
            const std::vector<int> &b = pop[std::size_t(tournament())];
            std::vector<int> &child = next[std::size_t(k)];
            // Ordered crossover: a's genes between two cuts, the rest in b's order.
            int lo = cut(random), hi = cut(random);
            if (lo > hi)
                std::swap(lo, hi);
            std::fill(used.begin(), used.end(), 0);
            for (int x = lo; x <= hi; ++x) {
                child[std::size_t(x)] = a[std::size_t(x)];
                used[std::size_t(a[std::size_t(x)])] = 1;
            }
            int at = (hi + 1) % length;
            for (int y = 0; y < length; ++y) {
                const int gene = b[std::size_t((hi + 1 + y) % length)];
                if (used[std::size_t(gene)])
                    continue;
                child[std::size_t(at)] = gene;
                at = (at + 1) % length;
            }
            // Swap mutation.
            if (std::uniform_int_distribution<int>(0, 9)(random) < 3)
                std::swap(child[std::size_t(cut(random))], child[std::size_t(cut(random))]);
            nextFit[std::size_t(k)] = fitness(child);
        }
        pop.swap(next);
        fit.swap(nextFit);
        ++*generations;
        const long long top = *std::max_element(fit.begin(), fit.end());
        if (top > best) {
            best = top;
            sinceGain = 0;
        } else {
            ++sinceGain;
        }
    }
    return best;
}

// ------------------------------------------------------------ the table

QStringList listOption(int argc, char **argv, const char *name, const char *fallback)
{
    for (int k = 1; k + 1 < argc; ++k) {
        if (std::strcmp(argv[k], name) == 0)
            return QString::fromLatin1(argv[k + 1]).split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    return QString::fromLatin1(fallback).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

double cpuMark = 0;  // set by start lines; row() prints the CPU time since

void row(const char *method, long long total, long long bound, long long reference, double seconds,
         const std::string &note = std::string())
{
    std::printf("    %-14s %10lld  %6.1f%%  %+7.1f%%  %8.3f s  %8.3f s CPU  %s\n", method, total,
                bound > 0 ? 100.0 * double(total) / double(bound) : 100.0,
                reference > 0 ? 100.0 * double(total - reference) / double(reference) : 0.0, seconds,
                cpuNow() - cpuMark, note.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList sizes = listOption(argc, argv, "--sizes", "60,300,1000");
    const QStringList layouts = listOption(argc, argv, "--layouts", "4,5,g10");
    const QStringList densities = listOption(argc, argv, "--densities", "5,15,30");
    const QStringList methods = listOption(argc, argv, "--methods", "calc,ls,ga300,improve");
    const double gaSeconds = listOption(argc, argv, "--ga-seconds", "10").value(0).toDouble();
    const int lsMax = listOption(argc, argv, "--ls-max", "1000").value(0).toInt();
    const int gaMax = listOption(argc, argv, "--ga-max", "1000").value(0).toInt();
    const QStringList exactSizes = listOption(argc, argv, "--exact", "");
    if (!exactSizes.isEmpty()) {
        // Small pools: Improve and the bound against the best total, exact
        // (every grouping tried) up to 16 people, beyond proven wherever the
        // bound equals Improve's total.
        std::printf("people layout density   bound  Improve  plain LS  bound/Improve  best  bound/best  bound CPU\n");
        double sumFound = 0, worstFound = 0, sumBest = 0, worstBest = 0;
        int pools = 0, proven = 0, improveMissed = 0;
        for (const QString &sizeText : exactSizes) {
            const int n = sizeText.toInt();
            for (const char *layout : {"3", "4", "5", "g2", "g3", "g4", "g6"}) {
                for (int density : {10, 20, 30}) {
                    testing::PoolGenerator gen(std::uint32_t(77 + n * 13 + density));
                    const std::vector<ProfileRecord> people = gen.poolAtDensity(n, density / 100.0);
                    const bool amount = layout[0] == 'g';
                    const GroupTable calc = buildGroups(people, amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup,
                                                        QString::fromLatin1(layout + (amount ? 1 : 0)).toInt());
                    const double cpuStart = cpuNow();
                    const BestPossible best = bestPossible(calc);
                    const double boundCpu = cpuNow() - cpuStart;
                    const long long improved = assessGroups(improveGroups(calc, ImproveOptions{}).groups).total.score;
                    static const ImproveOptions plainOptions;
                    bench::Baseline plain(calc, plainOptions);
                    plain.descend(60);
                    const long long found = std::max(improved, plain.total());
                    const bool known = best.exact || best.bound == found;
                    const double toFound = found > 0 ? double(best.bound) / double(found) : 1.0;
                    ++pools;
                    sumFound += toFound;
                    worstFound = std::max(worstFound, toFound);
                    if (known) {
                        ++proven;
                        sumBest += toFound;
                        worstBest = std::max(worstBest, toFound);
                        improveMissed += improved < best.bound ? 1 : 0;
                    }
                    std::printf("%6d %6s %6d%% %7lld %8lld %9lld %14.4f %5s %11s %8.3f s\n", n, layout, density,
                                static_cast<long long>(best.bound), improved, plain.total(), toFound,
                                known ? (best.exact ? "exact" : "=") : "?",
                                known ? QString::number(toFound, 'f', 4).toLocal8Bit().constData() : "", boundCpu);
                    std::fflush(stdout);
                }
            }
        }
        std::printf("\n%d pools: bound / best found %.4f on average, %.4f at worst; optimum proven on %d "
                    "(bound / best %.4f on average, %.4f at worst; Improve below it on %d)\n",
                    pools, sumFound / std::max(1, pools), worstFound, proven, sumBest / std::max(1, proven), worstBest,
                    improveMissed);
        return 0;
    }
    auto wanted = [&](const char *m) { return methods.contains(QLatin1String(m)); };

    std::printf("method             total  of best possible  vs plain LS      time\n");
    for (const QString &sizeText : sizes) {
        const int n = sizeText.toInt();
        for (const QString &densityText : densities) {
            testing::PoolGenerator gen(std::uint32_t(1000 + n * 7 + densityText.toInt()));
            const std::vector<ProfileRecord> people = gen.poolAtDensity(n, densityText.toDouble() / 100.0);
            const bool smallEnough = n <= std::max(lsMax, gaMax);
            const PairScores *d = smallEnough ? new PairScores(people) : nullptr;
            for (const QString &layout : layouts) {
                const bool amount = layout.startsWith(QLatin1Char('g'));
                const int value = amount ? layout.mid(1).toInt() : layout.toInt();
                auto start = Clock::now();
                const GroupTable calc = buildGroups(people, amount ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup, value);
                const double calcTime = secondsSince(start);
                start = Clock::now();
                const QualityReport plainReport = assessGroups(calc);
                const double assessTime = secondsSince(start);
                start = Clock::now();
                const double boundCpuStart = cpuNow();
                const BestPossible best = bestPossible(calc);
                const double boundTime = secondsSince(start);
                const double boundCpu = cpuNow() - boundCpuStart;
                QualityReport report = plainReport;
                report.bound = best.bound;
                std::printf("\n%d people, density %s%%, %s %d (%d groups of %d slots); best possible at most %lld "
                            "(%.3f s, %.3f s CPU; plain bound %lld, assessed in %.3f s)\n",
                            n, qPrintable(densityText), amount ? "groups:" : "groups of", value, calc.NumGroups,
                            calc.GroupSize, static_cast<long long>(best.bound), boundTime, boundCpu,
                            static_cast<long long>(plainReport.bound), assessTime);
                long long bestKnown = plainReport.total.score;
                long long lsTotal = 0;
                const Assignment startAssignment = d ? assignmentOf(calc, people) : Assignment{};
                if (wanted("calc"))
                    std::printf("    %-14s %10lld  %6.1f%%  %8.3f s\n", "Calculate", static_cast<long long>(report.total.score),
                                report.bound > 0 ? 100.0 * double(report.total.score) / double(report.bound) : 100.0, calcTime);
                if (wanted("ls") && n <= lsMax) {
                    start = Clock::now();
                    cpuMark = cpuNow();
                    lsTotal = plainLocalSearch(startAssignment, *d);
                    row("plain LS", lsTotal, report.bound, lsTotal, secondsSince(start));
                    bestKnown = std::max(bestKnown, lsTotal);
                }
                static const ImproveOptions plainOptions;
                if (wanted("pls")) {
                    start = Clock::now();
                    cpuMark = cpuNow();
                    bench::Baseline plain(calc, plainOptions);
                    const bool ended = plain.descend(120);
                    if (lsTotal == 0)
                        lsTotal = plain.total();
                    row("partners LS", plain.total(), report.bound, lsTotal, secondsSince(start), ended ? "" : "stopped at 120 s");
                    bestKnown = std::max(bestKnown, plain.total());
                }
                double improveCpu = 0;
                long long improveTotal = 0;
                if (wanted("improve") || wanted("ils") || wanted("ils10")) {
                    start = Clock::now();
                    cpuMark = cpuNow();
                    const std::clock_t cpuStart = std::clock();
                    const ImproveResult result = improveGroups(calc, ImproveOptions{});
                    improveCpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
                    const double t = secondsSince(start);
                    improveTotal = assessGroups(result.groups).total.score;
                    row("Improve", improveTotal, report.bound, lsTotal, t);
                    bestKnown = std::max(bestKnown, improveTotal);
                }
                for (int times : {1, 10}) {
                    if (!wanted(times == 1 ? "ils" : "ils10"))
                        continue;
                    start = Clock::now();
                    cpuMark = cpuNow();
                    bench::Baseline ils(calc, plainOptions);
                    ils.iterate(improveCpu * times);
                    row(times == 1 ? "ILS same CPU" : "ILS 10x CPU", ils.total(), report.bound, lsTotal, secondsSince(start));
                    bestKnown = std::max(bestKnown, ils.total());
                }
                for (int population : {300, 3000}) {
                    const std::string name = "ga" + std::to_string(population);
                    if (!wanted(name.c_str()) || n > gaMax)
                        continue;
                    int generations = 0;
                    start = Clock::now();
                    cpuMark = cpuNow();
                    const long long total = geneticAlgorithm(calc.NumGroups, calc.GroupSize, *d, population, gaSeconds,
                                                             &generations);
                    row(("GA " + std::to_string(population)).c_str(), total, report.bound, lsTotal, secondsSince(start),
                        std::to_string(generations) + " generations");
                    bestKnown = std::max(bestKnown, total);
                }
                std::printf("    best possible / best found: %.3f\n", bestKnown > 0 ? double(best.bound) / double(bestKnown) : 0.0);
                std::fflush(stdout);
            }
            delete d;
        }
    }
    return 0;
}
