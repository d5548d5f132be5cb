// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Made-up people for the group builder's tests and benchmark.

#include "grouping/GroupBuilder.h"
#include "support/PoolFixtures.h"

#include <random>

namespace quorvia::testing {

// How the trait flags are drawn:
// Realistic: what the editor lets people enter: opposites apart, lists disjoint;
// Dense: every flag set half of the time; Sparse: hardly any flag;
// Hostile: own and incompatible traits only, so no score above 0; None: no flag at all, every score 0;
// Palette: a handful of distinct people, copied, so ties everywhere;
// OddWords: flags holding words other than 0 and -1 as well.
enum class TraitStyle { Realistic, Dense, Sparse, Hostile, None, Palette, OddWords };
constexpr int kTraitStyles = 7;

// noData: the share of records whose HasData is 0; oddHasData: the share of the others whose HasData is
// neither 0 nor -1.
struct PoolShape {
    TraitStyle style = TraitStyle::Realistic;
    double noData = 0.0, oddHasData = 0.0;
};

class PoolGenerator {
public:
    explicit PoolGenerator(std::uint32_t seed) : random_(seed) {}

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    // Everybody with a unique name, so that a person put in the wrong place shows.
    std::vector<ProfileRecord> pool(int n, const PoolShape &shape)
    {
        std::vector<ProfileRecord> palette, people;
        for (int k = shape.style == TraitStyle::Palette ? between(1, 4) : 0; k > 0; --k)
            palette.push_back(traits(chance(0.5) ? TraitStyle::Realistic : TraitStyle::Sparse));
        for (int i = 0; i < n; ++i) {
            const auto t = palette.empty() ? traits(shape.style) : palette[between(0, int(palette.size()) - 1)];
            const QString position = chance(0.3) ? QStringLiteral("Job%1").arg(between(1, 9)) : QString();
            ProfileRecord r = person(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i), position);
            r.OwnAttributes = t.OwnAttributes;
            r.CompatibleWith = t.CompatibleWith;
            r.IncompatibleWith = t.IncompatibleWith;
            static const std::int16_t oddHasData[] = {1, 2, -2, 0x7FFF, -0x8000, 255};
            if (chance(shape.noData)) {
                r.HasData = kFalse;
                if (chance(0.3))
                    r = ProfileRecord{};  // not even a name
            } else if (chance(shape.oddHasData)) {
                r.HasData = oddHasData[between(0, 5)];
            }
            people.push_back(r);
        }
        return people;
    }

    // Everybody with data and unique names; every trait of each list at about
    // `density` (own traits as drawn, compatible and incompatible never both).
    std::vector<ProfileRecord> poolAtDensity(int n, double density)
    {
        std::vector<ProfileRecord> people;
        people.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            ProfileRecord r = person(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
            for (std::size_t t = 0; t < std::size_t(kTraitCount); ++t) {
                r.OwnAttributes[t] = flag(density);
                const double pick = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
                if (pick < density)
                    r.CompatibleWith[t] = kTrue;
                else if (pick < 2 * density)
                    r.IncompatibleWith[t] = kTrue;
            }
            people.push_back(r);
        }
        return people;
    }

private:
    std::int16_t flag(double p) { return chance(p) ? kTrue : kFalse; }

    ProfileRecord traits(TraitStyle style)
    {
        ProfileRecord r;
        if (style == TraitStyle::Realistic) {
            r.OwnAttributes[0] = flag(0.3);
            r.OwnAttributes[1] = flag(0.3);
            for (int k = 1; k <= 10; ++k) {
                const int pick = between(0, 4);  // neither of two opposites three times as often as either
                if (pick >= 3)
                    r.OwnAttributes[2 * k + pick - 3] = kTrue;
            }
            for (int t = 0; t < kTraitCount; ++t) {
                const int pick = between(0, 99);
                if (pick < 20)
                    (pick < 12 ? r.CompatibleWith : r.IncompatibleWith)[t] = kTrue;
            }
        } else if (style != TraitStyle::None && style != TraitStyle::Palette) {
            // Shares of own, compatible and incompatible flags set, for Dense, Sparse and Hostile.
            static const double share[][3] = {{}, {0.5, 0.5, 0.5}, {0.04, 0.04, 0.04}, {0.3, 0.0, 0.3}};
            static const std::int16_t odd[] = {-1, -1, -1, 0, 0, 0, 1, -2, 0x7FFF, -0x8000, 0xFF};
            for (int t = 0; t < kTraitCount; ++t) {
                TraitFlags *lists[] = {&r.OwnAttributes, &r.CompatibleWith, &r.IncompatibleWith};
                for (int l = 0; l < 3; ++l)
                    (*lists[l])[t] = style == TraitStyle::OddWords ? odd[between(0, 10)] : flag(share[int(style)][l]);
            }
        }
        return r;
    }

    std::mt19937 random_;
};

// A table from a made-up pool: any style, some records without data or with
// odd HasData words, any sizing.
inline GroupTable randomTable(PoolGenerator &gen, int maxPeople)
{
    const int n = gen.between(1, maxPeople);
    const PoolShape shape{TraitStyle(gen.between(0, kTraitStyles - 1)), gen.chance(0.3) ? 0.15 : 0.0, 0.1};
    const SizeOption option = gen.chance(0.5) ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup;
    return buildGroups(gen.pool(n, shape), option, gen.between(1, gen.chance(0.7) ? 8 : n + 1));
}

} // namespace quorvia::testing
