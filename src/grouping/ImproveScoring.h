// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the group builder: how Improve scores a person against a group
// and a pair, and its random numbers.

#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvia::grouping {

// A person as scored against a group: lanes 0..21 compatible minus
// incompatible, lanes 22..43 own traits, 44..47 zero. A group's counts hold
// the sums of its members' own traits (lanes 0..21) and of their compatible
// minus incompatible ones (22..43), so that the dot product of the two is the
// person's score against every member. One cache line per person.
constexpr int kLanes = 48;

struct alignas(64) PersonVector {
    std::int8_t lane[kLanes];
};

template <typename Count>
struct alignas(64) GroupCounts {
    Count lane[kLanes];
};

#if defined(__SSE2__)
inline __m128i widenLow(__m128i x) { return _mm_unpacklo_epi8(x, _mm_cmpgt_epi8(_mm_setzero_si128(), x)); }
inline __m128i widenHigh(__m128i x) { return _mm_unpackhi_epi8(x, _mm_cmpgt_epi8(_mm_setzero_si128(), x)); }
inline int sumLanes(__m128i sum)
{
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
}
#endif

inline int dot(const PersonVector &v, const GroupCounts<std::int8_t> &c)
{
#if defined(__SSE2__)
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < kLanes; k += 16) {
        const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i *>(v.lane + k));
        const __m128i y = _mm_load_si128(reinterpret_cast<const __m128i *>(c.lane + k));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(widenLow(x), widenLow(y)));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(widenHigh(x), widenHigh(y)));
    }
    return sumLanes(sum);
#else
    int sum = 0;
    for (int k = 0; k < kLanes; ++k)
        sum += int(v.lane[k]) * int(c.lane[k]);
    return sum;
#endif
}

inline int dot(const PersonVector &v, const GroupCounts<std::int16_t> &c)
{
#if defined(__SSE2__)
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < kLanes; k += 16) {
        const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i *>(v.lane + k));
        const __m128i y0 = _mm_load_si128(reinterpret_cast<const __m128i *>(c.lane + k));
        const __m128i y1 = _mm_load_si128(reinterpret_cast<const __m128i *>(c.lane + k + 8));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(widenLow(x), y0));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(widenHigh(x), y1));
    }
    return sumLanes(sum);
#else
    int sum = 0;
    for (int k = 0; k < kLanes; ++k)
        sum += int(v.lane[k]) * int(c.lane[k]);
    return sum;
#endif
}

inline int dot(const PersonVector &v, const GroupCounts<std::int32_t> &c)
{
    int sum = 0;
    for (int k = 0; k < kLanes; ++k)
        sum += int(v.lane[k]) * c.lane[k];
    return sum;
}

// The score of a pair from bit masks: (compatible | own << 22) of one against
// (own | compatible << 22) of the other, less the same with incompatible.
struct PairMasks {
    std::uint64_t positive, negative, asPartnerPositive, asPartnerNegative;
};

inline int bitCount(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
}

inline int pairScore(const PairMasks &a, const PairMasks &b)
{
    return bitCount(a.positive & b.asPartnerPositive) - bitCount(a.negative & b.asPartnerNegative);
}

// A small fixed-seed generator (splitmix64): the same numbers everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1 for n >= 1.
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

// Simulated annealing takes a worse step with probability exp(-loss / T):
// accept[k] = 2^32 * exp(-k / kAcceptanceStepsPerUnit), down to where it is
// 0, built with whole numbers only so that every machine gets the same table.
constexpr int kAcceptanceStepsPerUnit = 16;

inline const std::vector<std::uint32_t> &acceptanceTable()
{
    static const std::vector<std::uint32_t> table = [] {
        // exp(-1/16) in 32-bit fixed point.
        constexpr std::uint64_t kStep = 4034748382ULL;
        std::vector<std::uint32_t> values;
        std::uint64_t v = 0xFFFFFFFFULL;
        while (v > 0) {
            values.push_back(std::uint32_t(v));
            v = (v * kStep) >> 32;
        }
        return values;
    }();
    return table;
}

} // namespace quorvia::grouping
