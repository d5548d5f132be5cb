#pragma once

// Made-up people for the group builder's tests and benchmark.

#include "pool/ProfileRecord.h"
#include "pool/TraitCatalogue.h"

#include <QStringList>

#include <cstdint>
#include <random>
#include <vector>

namespace quorvia::testing {

inline int traitIndex(const QString &name)
{
    const int index = int(traitCatalogue().indexOf(name));
    Q_ASSERT_X(index >= 0, "traitIndex", qPrintable(name));
    return index;
}

struct Traits {
    QStringList own;
    QStringList compatible;
    QStringList incompatible;
};

// A profile as the editor saves it: the derived flags follow the texts.
inline ProfileRecord profile(const QString &last, const QString &first = QString(), const QString &position = QString(),
                             const Traits &traits = {})
{
    ProfileRecord r;
    setFieldText(r.LastName, last);
    setFieldText(r.FirstName, first);
    setFieldText(r.Position, position);
    for (const QString &t : traits.own)
        r.OwnAttributes[std::size_t(traitIndex(t))] = kTrue;
    for (const QString &t : traits.compatible)
        r.CompatibleWith[std::size_t(traitIndex(t))] = kTrue;
    for (const QString &t : traits.incompatible)
        r.IncompatibleWith[std::size_t(traitIndex(t))] = kTrue;
    const bool hasFirst = !trimBlanks(first).isEmpty();
    const bool hasLast = !trimBlanks(last).isEmpty();
    const bool hasPosition = !trimBlanks(position).isEmpty();
    r.HasData = (hasFirst || hasLast || hasPosition) ? kTrue : kFalse;
    r.HasPosition = hasPosition ? kTrue : kFalse;
    r.HasBothNames = (hasFirst && hasLast) ? kTrue : kFalse;
    return r;
}

enum class TraitStyle {
    Realistic,  // what the editor lets people enter: opposites apart, lists disjoint
    Dense,      // every flag set half of the time
    Sparse,     // hardly any flag
    Hostile,    // own and incompatible traits only: no score above 0
    None,       // no flag at all: every score 0
    Palette,    // a handful of distinct people, copied: ties everywhere
    OddWords,   // flags holding words other than 0 and -1 as well
};
constexpr int kTraitStyles = 7;

struct PoolShape {
    TraitStyle style = TraitStyle::Realistic;
    double noData = 0.0;     // share of records whose HasData is 0
    double oddHasData = 0.0; // share of records whose HasData is neither 0 nor -1
};

class PoolGenerator {
public:
    explicit PoolGenerator(std::uint32_t seed) : random_(seed) {}

    std::mt19937 &random() { return random_; }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    std::vector<ProfileRecord> pool(int n, const PoolShape &shape)
    {
        std::vector<ProfileRecord> palette;
        if (shape.style == TraitStyle::Palette) {
            const int distinct = between(1, 4);
            for (int k = 0; k < distinct; ++k)
                palette.push_back(traits(chance(0.5) ? TraitStyle::Realistic : TraitStyle::Sparse));
        }
        std::vector<ProfileRecord> people;
        people.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            ProfileRecord r = shape.style == TraitStyle::Palette
                ? palette[std::size_t(between(0, int(palette.size()) - 1))]
                : traits(shape.style);
            // Unique names, so that a person put in the wrong place shows.
            setFieldText(r.LastName, QStringLiteral("Last%1").arg(i));
            setFieldText(r.FirstName, QStringLiteral("First%1").arg(i));
            r.HasData = kTrue;
            r.HasBothNames = kTrue;
            r.HasPosition = chance(0.3) ? kTrue : kFalse;
            if (isSet(r.HasPosition))
                setFieldText(r.Position, QStringLiteral("Job%1").arg(between(1, 9)));
            if (chance(shape.noData)) {
                r.HasData = kFalse;
                if (chance(0.3))
                    r = ProfileRecord{};  // an all-zero record: nobody at all
            } else if (chance(shape.oddHasData)) {
                static const std::int16_t odd[] = {1, 2, -2, 0x7FFF, -0x8000, 255};
                r.HasData = odd[between(0, 5)];
            }
            people.push_back(r);
        }
        return people;
    }

    ProfileRecord traits(TraitStyle style)
    {
        ProfileRecord r;
        switch (style) {
        case TraitStyle::Realistic:
            r.OwnAttributes[0] = flag(0.3);
            r.OwnAttributes[1] = flag(0.3);
            for (int k = 1; k <= 10; ++k) {
                const int pick = between(0, 4);  // none three times as often as either side
                if (pick == 3)
                    r.OwnAttributes[std::size_t(2 * k)] = kTrue;
                else if (pick == 4)
                    r.OwnAttributes[std::size_t(2 * k + 1)] = kTrue;
            }
            for (std::size_t t = 0; t < kTraitCount; ++t) {
                const int pick = between(0, 99);
                if (pick < 12)
                    r.CompatibleWith[t] = kTrue;
                else if (pick < 20)
                    r.IncompatibleWith[t] = kTrue;
            }
            break;
        case TraitStyle::Dense:
            fill(r, 0.5, 0.5, 0.5);
            break;
        case TraitStyle::Sparse:
            fill(r, 0.04, 0.04, 0.04);
            break;
        case TraitStyle::Hostile:
            fill(r, 0.3, 0.0, 0.3);
            break;
        case TraitStyle::None:
        case TraitStyle::Palette:
            break;
        case TraitStyle::OddWords:
            for (std::size_t t = 0; t < kTraitCount; ++t) {
                r.OwnAttributes[t] = oddWord();
                r.CompatibleWith[t] = oddWord();
                r.IncompatibleWith[t] = oddWord();
            }
            break;
        }
        return r;
    }

private:
    std::int16_t flag(double p) { return chance(p) ? kTrue : kFalse; }

    void fill(ProfileRecord &r, double own, double compatible, double incompatible)
    {
        for (std::size_t t = 0; t < kTraitCount; ++t) {
            r.OwnAttributes[t] = flag(own);
            r.CompatibleWith[t] = flag(compatible);
            r.IncompatibleWith[t] = flag(incompatible);
        }
    }

    std::int16_t oddWord()
    {
        static const std::int16_t words[] = {-1, -1, -1, 0, 0, 0, 1, -2, 0x7FFF, -0x8000, 0xFF};
        return words[between(0, 10)];
    }

    std::mt19937 random_;
};

} // namespace quorvia::testing
