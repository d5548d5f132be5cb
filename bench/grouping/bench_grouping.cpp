// SPDX-License-Identifier: GPL-3.0-or-later
// Times Calculate's work, from the selected records to the finished listing
// text, for the largest pool the program takes, and compares the builder with
// the plain loops it replaces. Prints its figures; asserts nothing about time.

#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "grouping/ReferenceGroupBuilder.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace quorvia;
using quorvia::testing::PoolGenerator;
using quorvia::testing::PoolShape;
using quorvia::testing::TraitStyle;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Timing {
    double chain = 0;
    double dealing = 0;
    double listing = 0;
    double total() const { return chain + dealing + listing; }
};

// The best of a few runs, each part timed on its own.
Timing timeCalculate(const std::vector<ProfileRecord> &people, SizeOption option, int value, int runs,
                     qsizetype *listingLength)
{
    Timing best;
    for (int run = 0; run < runs; ++run) {
        Timing t;
        auto start = Clock::now();
        const std::vector<int> chain = compatibilityChain(people);
        t.chain = secondsSince(start);
        start = Clock::now();
        const GroupTable groups = dealIntoGroups(people, chain, sizeGroups(option, value, int(people.size())));
        t.dealing = secondsSince(start);
        start = Clock::now();
        const QString text = groupListing(groups);
        t.listing = secondsSince(start);
        *listingLength = text.size();
        if (run == 0 || t.total() < best.total())
            best = t;
    }
    return best;
}

void largestPools(PoolGenerator &gen)
{
    const int n = 32767;
    struct Request {
        const char *name;
        SizeOption option;
        int value;
    };
    const Request requests[] = {
        {"groups of 4 (People Per Group 4)", SizeOption::PeoplePerGroup, 4},
        {"10 groups (Amount of Groups 10)", SizeOption::AmountOfGroups, 10},
        {"999 groups (Amount of Groups 999)", SizeOption::AmountOfGroups, 999},
    };
    const struct {
        const char *name;
        TraitStyle style;
    } styles[] = {{"realistic traits", TraitStyle::Realistic}, {"dense traits", TraitStyle::Dense},
                  {"hostile traits", TraitStyle::Hostile}};

    std::printf("Calculate's work for %d selected people (best of 3 runs):\n", n);
    for (const auto &style : styles) {
        PoolShape shape;
        shape.style = style.style;
        const std::vector<ProfileRecord> people = gen.pool(n, shape);
        for (const Request &r : requests) {
            qsizetype length = 0;
            const Timing t = timeCalculate(people, r.option, r.value, 3, &length);
            std::printf("  %-16s %-34s %7.3f s  (chain %.3f, dealing %.3f, listing %.3f; %lld characters)\n",
                        style.name, r.name, t.total(), t.chain, t.dealing, t.listing, static_cast<long long>(length));
        }
    }
}

// The chain alone by every method this processor offers: what machines
// without AVX2 (or without a population-count instruction) get.
void chainMethods(PoolGenerator &gen)
{
    const std::vector<ProfileRecord> people = gen.pool(32767, PoolShape{});
    const struct {
        const char *name;
        detail::ChainMethod method;
    } methods[] = {{"AVX2, 32 at a time", detail::ChainMethod::Vector},
                   {"popcount instruction", detail::ChainMethod::Popcount},
                   {"portable arithmetic", detail::ChainMethod::Portable}};
    std::printf("\nThe chain of %zu people by each search method:\n", people.size());
    std::vector<int> first;
    for (const auto &m : methods) {
        if (!detail::chainMethodAvailable(m.method)) {
            std::printf("  %-22s not available on this processor\n", m.name);
            continue;
        }
        const auto start = Clock::now();
        const std::vector<int> chain = detail::compatibilityChain(people, m.method);
        const double t = secondsSince(start);
        if (first.empty())
            first = chain;
        std::printf("  %-22s %7.3f s%s\n", m.name, t, chain == first ? "" : "  DIFFERENT CHAIN");
    }
}

void againstTheReference(PoolGenerator &gen)
{
    const int n = 4000;
    PoolShape shape;
    const std::vector<ProfileRecord> people = gen.pool(n, shape);

    auto start = Clock::now();
    const GroupTable expected = reference::BuildGroups(people, false, 4);
    const double plain = secondsSince(start);

    double fast = 0;
    GroupTable got;
    for (int run = 0; run < 5; ++run) {
        start = Clock::now();
        got = buildGroups(people, SizeOption::PeoplePerGroup, 4);
        const double t = secondsSince(start);
        fast = run == 0 ? t : std::min(fast, t);
    }
    const bool same = got.NumGroups == expected.NumGroups && got.GroupSize == expected.GroupSize
        && got.slotRecords == expected.slotRecords;
    std::printf("\n%d people in groups of 4, chain and dealing:\n", n);
    std::printf("  plain loops      %8.3f s\n", plain);
    std::printf("  group builder    %8.4f s (best of 5)\n", fast);
    std::printf("  speed-up         %8.0fx\n", plain / fast);
    std::printf("  groups identical: %s\n", same ? "yes" : "NO");
}

} // namespace

int main()
{
    PoolGenerator gen(7u);
    largestPools(gen);
    chainMethods(gen);
    againstTheReference(gen);
    return 0;
}
