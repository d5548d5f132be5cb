// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupBuilder.h"

#include "grouping/TraitMasks.h"

#include <cstring>
#include <limits>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define QUORVIA_X86_DISPATCH 1
#include <immintrin.h>
#endif

// The chain asks, for every person placed, which of the remaining people
// scores highest against them: about n * n / 2 scores, half a billion for the
// largest pool. Every method here gives exactly the chain of the plain loops
// (the first in list order on a tie); they differ in how many people they
// score at once.

namespace quorvia {
namespace {

using grouping::searchKey;
using grouping::TraitMasks;

std::vector<TraitMasks> masksOf(const std::vector<ProfileRecord> &people)
{
    std::vector<TraitMasks> masks;
    masks.reserve(people.size());
    for (const ProfileRecord &r : people)
        masks.emplace_back(r);
    return masks;
}

// The first person in list order with the most trait flags.
int seedOf(const std::vector<TraitMasks> &masks)
{
    int seed = 0;
    int seedCount = -1;
    for (std::size_t j = 0; j < masks.size(); ++j) {
        const int count = masks[j].flagCount();
        if (count > seedCount) {
            seedCount = count;
            seed = int(j);
        }
    }
    return seed;
}

// ------------------------------------------------------ one person at a time

// A candidate's score against the person placed last L is
//   popcount(P_L & Y_c) - popcount(N_L & W_c)
// with P = compatible | own << 22, N = incompatible | own << 22 for L and
// Y = own | compatible << 22, W = own | incompatible << 22 for the candidate.
constexpr int kHalf = kTraitCount;

struct PortablePopcount {
    static int count(std::uint64_t x)
    {
        x = x - ((x >> 1) & 0x5555555555555555ULL);
        x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
        return int((x * 0x0101010101010101ULL) >> 56);
    }
};

#if defined(__GNUC__) || defined(__clang__)
struct BuiltinPopcount {
    static int count(std::uint64_t x) { return __builtin_popcountll(x); }
};
#endif

// Index into the candidate arrays of the best candidate.
template <typename Popcount>
inline std::size_t bestCandidate(std::uint64_t p, std::uint64_t n, const std::uint64_t *y, const std::uint64_t *w,
                                 const int *listIndex, std::size_t count)
{
    std::int64_t bestKey = std::numeric_limits<std::int64_t>::min();
    std::size_t best = 0;
    for (std::size_t j = 0; j < count; ++j) {
        const int score = Popcount::count(p & y[j]) - Popcount::count(n & w[j]);
        const std::int64_t key = searchKey(score, listIndex[j]);
        if (key > bestKey) {
            bestKey = key;
            best = j;
        }
    }
    return best;
}

using BestCandidateFn = std::size_t (*)(std::uint64_t, std::uint64_t, const std::uint64_t *, const std::uint64_t *,
                                        const int *, std::size_t);

std::size_t bestCandidatePortable(std::uint64_t p, std::uint64_t n, const std::uint64_t *y, const std::uint64_t *w,
                                  const int *listIndex, std::size_t count)
{
    return bestCandidate<PortablePopcount>(p, n, y, w, listIndex, count);
}

#if defined(QUORVIA_X86_DISPATCH) && !defined(__POPCNT__)
// Built for the population-count instruction, used only where the processor has it.
__attribute__((target("popcnt"))) std::size_t bestCandidatePopcount(std::uint64_t p, std::uint64_t n,
                                                                   const std::uint64_t *y, const std::uint64_t *w,
                                                                   const int *listIndex, std::size_t count)
{
    return bestCandidate<BuiltinPopcount>(p, n, y, w, listIndex, count);
}

bool hasPopcount() { return __builtin_cpu_supports("popcnt"); }
#elif defined(__GNUC__) || defined(__clang__)
// The target has a population count of its own (or the build asked for it).
std::size_t bestCandidatePopcount(std::uint64_t p, std::uint64_t n, const std::uint64_t *y, const std::uint64_t *w,
                                  const int *listIndex, std::size_t count)
{
    return bestCandidate<BuiltinPopcount>(p, n, y, w, listIndex, count);
}

bool hasPopcount() { return true; }
#else
BestCandidateFn bestCandidatePopcount = bestCandidatePortable;
bool hasPopcount() { return false; }
#endif

std::vector<int> scalarChain(const std::vector<TraitMasks> &masks, BestCandidateFn findBest)
{
    const std::size_t n = masks.size();
    std::vector<int> chain;
    chain.reserve(n);
    std::vector<std::uint64_t> asLastPositive(n), asLastNegative(n);
    // The people not yet placed, removed by swapping in the last one: the
    // search key carries the list order, so the array's own order is free.
    std::vector<std::uint64_t> y(n), w(n);
    std::vector<int> listIndex(n);
    for (std::size_t j = 0; j < n; ++j) {
        const TraitMasks &m = masks[j];
        const std::uint64_t own = m.own;
        asLastPositive[j] = m.compatible | own << kHalf;
        asLastNegative[j] = m.incompatible | own << kHalf;
        y[j] = own | std::uint64_t(m.compatible) << kHalf;
        w[j] = own | std::uint64_t(m.incompatible) << kHalf;
        listIndex[j] = int(j);
    }

    std::size_t remaining = n;
    auto removeAt = [&](std::size_t j) {
        --remaining;
        y[j] = y[remaining];
        w[j] = w[remaining];
        listIndex[j] = listIndex[remaining];
    };
    const int seed = seedOf(masks);
    chain.push_back(seed);
    removeAt(std::size_t(seed));
    while (remaining > 0) {
        const auto last = std::size_t(chain.back());
        const std::size_t best =
            findBest(asLastPositive[last], asLastNegative[last], y.data(), w.data(), listIndex.data(), remaining);
        chain.push_back(listIndex[best]);
        removeAt(best);
    }
    return chain;
}

// ------------------------------------------------------ 32 people at a time

// The remaining people in list order, in blocks of 32. A block holds nine
// planes of 32 bytes, byte b of every person's own, compatible and
// incompatible mask (b = 0..2), and a plane that is -128 for a slot whose
// person has been placed (or that never had one) and 0 otherwise.
constexpr std::size_t kBlock = 32;
constexpr std::size_t kPlanes = 9;
constexpr std::size_t kBlockBytes = (kPlanes + 1) * kBlock;
constexpr std::uint8_t kGone = 0x80;

struct PlaneStore {
    std::vector<std::uint8_t> bytes;
    std::vector<int> person;  // per slot, -1 when gone
    std::size_t blocks = 0;

    std::size_t slotCount() const { return blocks * kBlock; }

    void fill(const std::vector<TraitMasks> &masks, const std::vector<int> &people)
    {
        blocks = (people.size() + kBlock - 1) / kBlock;
        bytes.assign(blocks * kBlockBytes, 0);
        person.assign(slotCount(), -1);
        for (std::size_t i = 0; i < slotCount(); ++i)
            bytes[(i / kBlock) * kBlockBytes + kPlanes * kBlock + i % kBlock] = kGone;
        for (std::size_t i = 0; i < people.size(); ++i) {
            const TraitMasks &m = masks[std::size_t(people[i])];
            std::uint8_t *lane = bytes.data() + (i / kBlock) * kBlockBytes + i % kBlock;
            for (std::size_t b = 0; b < 3; ++b) {
                lane[b * kBlock] = std::uint8_t(m.own >> (8 * b));
                lane[(3 + b) * kBlock] = std::uint8_t(m.compatible >> (8 * b));
                lane[(6 + b) * kBlock] = std::uint8_t(m.incompatible >> (8 * b));
            }
            lane[kPlanes * kBlock] = 0;
            person[i] = people[i];
        }
    }

    void remove(std::size_t slot)
    {
        bytes[(slot / kBlock) * kBlockBytes + kPlanes * kBlock + slot % kBlock] = kGone;
        person[slot] = -1;
    }
};

// What each nibble value of each plane adds to the score against `last`:
// the plane kinds contribute compatible minus incompatible of `last` for
// the candidate's own traits, and `last`'s own traits for the candidate's
// compatible (+) and incompatible (-) ones.
void nibbleTables(const TraitMasks &last, std::int8_t (*tables)[2][16])
{
    static constexpr std::int8_t kBitsSet[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
    for (std::size_t plane = 0; plane < kPlanes; ++plane) {
        for (int half = 0; half < 2; ++half) {
            const int shift = 8 * int(plane % 3) + 4 * half;
            const std::uint32_t own = (last.own >> shift) & 0xF;
            const std::uint32_t compatible = (last.compatible >> shift) & 0xF;
            const std::uint32_t incompatible = (last.incompatible >> shift) & 0xF;
            for (std::uint32_t v = 0; v < 16; ++v) {
                std::int8_t value = 0;
                if (plane < 3)
                    value = std::int8_t(kBitsSet[compatible & v] - kBitsSet[incompatible & v]);
                else if (plane < 6)
                    value = kBitsSet[own & v];
                else
                    value = std::int8_t(-kBitsSet[own & v]);
                tables[plane][half][v] = value;
            }
        }
    }
}

#if defined(QUORVIA_X86_DISPATCH)
// Scores of every slot against `last` into `scores` (-128 for a gone slot);
// returns the highest. Partial sums stay within -44..44, so bytes do.
__attribute__((target("avx2"))) int scoreBlocksAvx2(const TraitMasks &last, const std::uint8_t *planes,
                                                    std::size_t blocks, std::int8_t *scores)
{
    alignas(16) std::int8_t tables[kPlanes][2][16];
    nibbleTables(last, tables);
    __m256i low[kPlanes];
    __m256i high[kPlanes];
    for (std::size_t k = 0; k < kPlanes; ++k) {
        low[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(tables[k][0])));
        high[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(tables[k][1])));
    }
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i best = _mm256_set1_epi8(-128);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint8_t *block = planes + b * kBlockBytes;
        __m256i sum = _mm256_setzero_si256();
        for (std::size_t k = 0; k < kPlanes; ++k) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(block + k * kBlock));
            sum = _mm256_add_epi8(sum, _mm256_shuffle_epi8(low[k], _mm256_and_si256(x, nibble)));
            sum = _mm256_add_epi8(sum, _mm256_shuffle_epi8(high[k], _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble)));
        }
        const __m256i gone = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(block + kPlanes * kBlock));
        sum = _mm256_adds_epi8(sum, gone);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(scores + b * kBlock), sum);
        best = _mm256_max_epi8(best, sum);
    }
    __m128i m = _mm_max_epi8(_mm256_castsi256_si128(best), _mm256_extracti128_si256(best, 1));
    m = _mm_max_epi8(m, _mm_srli_si128(m, 8));
    m = _mm_max_epi8(m, _mm_srli_si128(m, 4));
    m = _mm_max_epi8(m, _mm_srli_si128(m, 2));
    m = _mm_max_epi8(m, _mm_srli_si128(m, 1));
    return std::int8_t(_mm_cvtsi128_si32(m) & 0xFF);
}

bool hasAvx2() { return __builtin_cpu_supports("avx2"); }

std::vector<int> vectorChain(const std::vector<TraitMasks> &masks)
{
    const int seed = seedOf(masks);
    std::vector<int> chain{seed};
    chain.reserve(masks.size());
    std::vector<int> remaining;
    remaining.reserve(masks.size());
    for (int j = 0; j < int(masks.size()); ++j) {
        if (j != seed)
            remaining.push_back(j);
    }
    PlaneStore store;
    store.fill(masks, remaining);
    std::vector<std::int8_t> scores(store.slotCount());
    std::size_t alive = remaining.size();
    while (alive > 0) {
        const int best = scoreBlocksAvx2(masks[std::size_t(chain.back())], store.bytes.data(), store.blocks,
                                         scores.data());
        // The first slot with the best score: slots are in list order, and a
        // gone slot (-128) never matches a real score (-44 at the lowest).
        const void *hit = std::memchr(scores.data(), static_cast<unsigned char>(best), store.slotCount());
        const auto slot = std::size_t(static_cast<const std::int8_t *>(hit) - scores.data());
        chain.push_back(store.person[slot]);
        store.remove(slot);
        --alive;
        // Drop the gone slots once they cost more than an eighth of a search.
        if (store.slotCount() - alive > alive / 8 + kBlock) {
            remaining.clear();
            for (int p : store.person) {
                if (p >= 0)
                    remaining.push_back(p);
            }
            store.fill(masks, remaining);
        }
    }
    return chain;
}
#else
bool hasAvx2() { return false; }
#endif

} // namespace

namespace detail {

bool chainMethodAvailable(ChainMethod method)
{
    switch (method) {
    case ChainMethod::Portable:
        return true;
    case ChainMethod::Popcount:
        return hasPopcount();
    case ChainMethod::Vector:
        return hasAvx2();
    }
    return false;
}

std::vector<int> compatibilityChain(const std::vector<ProfileRecord> &people, ChainMethod method)
{
    if (people.empty())
        return {};
    const std::vector<TraitMasks> masks = masksOf(people);
#if defined(QUORVIA_X86_DISPATCH)
    if (method == ChainMethod::Vector && hasAvx2())
        return vectorChain(masks);
#endif
    if (method != ChainMethod::Portable && hasPopcount())
        return scalarChain(masks, bestCandidatePopcount);
    return scalarChain(masks, bestCandidatePortable);
}

} // namespace detail

std::vector<int> compatibilityChain(const std::vector<ProfileRecord> &people)
{
    using detail::ChainMethod;
    static const ChainMethod fastest = detail::chainMethodAvailable(ChainMethod::Vector) ? ChainMethod::Vector
        : detail::chainMethodAvailable(ChainMethod::Popcount)                           ? ChainMethod::Popcount
                                                                                          : ChainMethod::Portable;
    return detail::compatibilityChain(people, fastest);
}

} // namespace quorvia
