// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/PairScan.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <thread>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define QUORVIA_X86_DISPATCH 1
#include <immintrin.h>
#endif

// A row holds score + 44 (0..88) in one byte per person, so that the highest
// scores can be found by counting instead of sorting: the k-th highest entry
// V is the lowest value with fewer than k entries above it, and the k highest
// entries sum to (the sum of the entries above V) + (k - their count) * V.

namespace quorvia::grouping {
namespace {

constexpr int kHalf = kTraitCount;
constexpr int kOffset = 44;
constexpr int kValues = 2 * kOffset + 1;

// Per block of 32 people, 18 planes of one byte per person: nibble h (0..5)
// of the person's own, compatible and incompatible traits.
constexpr std::size_t kBlock = 32;
constexpr std::size_t kNibbles = 6;
constexpr std::size_t kPlanes = 3 * kNibbles;

int bitsSet(std::uint32_t x) { return int(std::bitset<32>(x).count()); }

// What each nibble value of each plane adds to the score of the person with
// masks `m`: for the partner's own traits the person's compatible minus
// incompatible ones, for the partner's compatible (+) and incompatible (-)
// traits the person's own.
void nibbleTables(const TraitMasks &m, std::int8_t (*tables)[16])
{
    for (std::size_t k = 0; k < kPlanes; ++k) {
        const int shift = 4 * int(k % kNibbles);
        const std::uint32_t own = (m.own >> shift) & 0xF;
        const std::uint32_t compatible = (m.compatible >> shift) & 0xF;
        const std::uint32_t incompatible = (m.incompatible >> shift) & 0xF;
        for (std::uint32_t v = 0; v < 16; ++v) {
            int value = 0;
            if (k < kNibbles)
                value = bitsSet(compatible & v) - bitsSet(incompatible & v);
            else if (k < 2 * kNibbles)
                value = bitsSet(own & v);
            else
                value = -bitsSet(own & v);
            tables[k][v] = std::int8_t(value);
        }
    }
}

using RankWindow = PairScan::RankWindow;
constexpr int kWindow = PairScan::kWindow;

// The window around the rank-th highest of `count` entries, by a histogram:
// the entry in the middle of the window where it can be.
RankWindow windowByHistogram(const std::uint8_t *row, std::size_t count, int rank)
{
    std::array<std::int64_t, kValues> histogram{};
    for (std::size_t j = 0; j < count; ++j)
        ++histogram[row[j]];
    int value = 0;
    std::int64_t seen = 0;
    for (int v = kValues - 1; v >= 0; --v) {
        seen += histogram[std::size_t(v)];
        if (seen >= rank) {
            value = v;
            break;
        }
    }
    RankWindow window;
    const int last = std::min(kValues - 1, value + kWindow / 2 - 1);
    window.first = std::max(0, last - (kWindow - 2));
    const int top = window.first + kWindow - 2;
    std::int64_t greater = 0;  // entries above v, v going down
    for (int v = kValues - 1; v >= window.first - 1 && v >= 0; --v) {
        if (v < window.first + kWindow - 1)
            window.above[v - window.first + 1] = std::int32_t(greater);
        if (v > top)
            window.excess += std::int64_t(v - top) * histogram[std::size_t(v)];
        greater += histogram[std::size_t(v)];
    }
    if (window.first == 0)
        window.above[0] = std::int32_t(greater);
    return window;
}

#if defined(QUORVIA_X86_DISPATCH)
bool hasAvx2() { return __builtin_cpu_supports("avx2"); }

__attribute__((target("avx2"))) void scoreRowAvx2(const TraitMasks &m, const std::uint8_t *planes, std::size_t blocks,
                                                  std::uint8_t *row)
{
    alignas(16) std::int8_t tables[kPlanes][16];
    nibbleTables(m, tables);
    __m256i table[kPlanes];
    for (std::size_t k = 0; k < kPlanes; ++k)
        table[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(tables[k])));
    const __m256i offset = _mm256_set1_epi8(kOffset);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint8_t *block = planes + b * kPlanes * kBlock;
        __m256i sum = offset;
        for (std::size_t k = 0; k < kPlanes; ++k) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(block + k * kBlock));
            sum = _mm256_add_epi8(sum, _mm256_shuffle_epi8(table[k], x));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(row + b * kBlock), sum);
    }
}

__attribute__((target("avx2"))) std::int64_t sumLanes(__m256i v)
{
    alignas(32) std::int64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

// Counts of the entries above each of the ten values first-1 .. first+8, and
// the sum of (entry - (first+8)) over the entries above first+8.
__attribute__((target("avx2"))) void windowCountsAvx2(const std::uint8_t *row, std::size_t blocks, int first,
                                                      std::int64_t *counts, std::int64_t *excess)
{
    const __m256i zero = _mm256_setzero_si256();
    __m256i threshold[kWindow];
    for (int w = 0; w < kWindow; ++w)
        threshold[w] = _mm256_set1_epi8(char(first - 1 + w));
    const __m256i top = _mm256_set1_epi8(char(first + kWindow - 2));
    __m256i total[kWindow];
    for (int w = 0; w < kWindow; ++w)
        total[w] = zero;
    __m256i excessSum = zero;
    for (std::size_t b = 0; b < blocks;) {
        const std::size_t end = std::min(blocks, b + 255);  // byte counters hold 255
        __m256i acc[kWindow];
        for (int w = 0; w < kWindow; ++w)
            acc[w] = zero;
        for (; b < end; ++b) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + b * kBlock));
            for (int w = 0; w < kWindow; ++w)
                acc[w] = _mm256_sub_epi8(acc[w], _mm256_cmpgt_epi8(x, threshold[w]));
            excessSum = _mm256_add_epi64(excessSum, _mm256_sad_epu8(_mm256_subs_epu8(x, top), zero));
        }
        for (int w = 0; w < kWindow; ++w)
            total[w] = _mm256_add_epi64(total[w], _mm256_sad_epu8(acc[w], zero));
    }
    for (int w = 0; w < kWindow; ++w)
        counts[w] = sumLanes(total[w]);
    *excess = sumLanes(excessSum);
}

// The sum of the entries and how many are below the offset (scores below 0).
__attribute__((target("avx2"))) void totalsAvx2(const std::uint8_t *row, std::size_t blocks, std::int64_t *sum,
                                                std::int64_t *below)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i offset = _mm256_set1_epi8(kOffset);
    __m256i sums = zero, counts = zero;
    for (std::size_t b = 0; b < blocks;) {
        const std::size_t end = std::min(blocks, b + 255);
        __m256i acc = zero;
        for (; b < end; ++b) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + b * kBlock));
            acc = _mm256_sub_epi8(acc, _mm256_cmpgt_epi8(offset, x));
            sums = _mm256_add_epi64(sums, _mm256_sad_epu8(x, zero));
        }
        counts = _mm256_add_epi64(counts, _mm256_sad_epu8(acc, zero));
    }
    alignas(32) std::int64_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), sums);
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes + 4), counts);
    *sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    *below = lanes[4] + lanes[5] + lanes[6] + lanes[7];
}

// Appends, in index order, the entries of the row greater than `value`
// (equal: when `equal` is set) until `out` holds `limit`.
__attribute__((target("avx2"))) void collectAvx2(const std::uint8_t *row, std::size_t blocks, int value, bool equal,
                                                 int self, int n, std::size_t limit, std::vector<int> *out)
{
    const __m256i v = _mm256_set1_epi8(char(value));
    for (std::size_t b = 0; b < blocks && out->size() < limit; ++b) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + b * kBlock));
        auto mask = std::uint32_t(_mm256_movemask_epi8(equal ? _mm256_cmpeq_epi8(x, v) : _mm256_cmpgt_epi8(x, v)));
        while (mask != 0 && out->size() < limit) {
            const int j = int(b * kBlock) + __builtin_ctz(mask);
            mask &= mask - 1;
            if (j != self && j < n)
                out->push_back(j);
        }
    }
}
#else
bool hasAvx2() { return false; }
#endif

} // namespace

bool PairScan::available(Method method) { return method == Method::Portable || hasAvx2(); }

PairScan::Method PairScan::fastest() { return hasAvx2() ? Method::Vector : Method::Portable; }

PairScan::PairScan(const std::vector<TraitMasks> &people, Method method)
    : n_(int(people.size())), method_(available(method) ? method : Method::Portable), people_(people)
{
    asScorer_.reserve(2 * people.size());
    asPartner_.reserve(2 * people.size());
    for (const TraitMasks &m : people) {
        const std::uint64_t own = m.own;
        asScorer_.push_back(m.compatible | own << kHalf);
        asScorer_.push_back(m.incompatible | own << kHalf);
        asPartner_.push_back(own | std::uint64_t(m.compatible) << kHalf);
        asPartner_.push_back(own | std::uint64_t(m.incompatible) << kHalf);
    }
    blocks_ = (people.size() + kBlock - 1) / kBlock;
    if (method_ == Method::Vector) {
        planes_.assign(blocks_ * kPlanes * kBlock, 0);
        for (std::size_t i = 0; i < people.size(); ++i) {
            const std::uint32_t lists[3] = {people[i].own, people[i].compatible, people[i].incompatible};
            std::uint8_t *lane = planes_.data() + (i / kBlock) * kPlanes * kBlock + i % kBlock;
            for (std::size_t k = 0; k < kPlanes; ++k)
                lane[k * kBlock] = std::uint8_t((lists[k / kNibbles] >> (4 * (k % kNibbles))) & 0xF);
        }
    }
}

void PairScan::scoreRow(int p, Row &row) const
{
    if (row.size() != blocks_ * kBlock)
        row.assign(blocks_ * kBlock, 0);
#if defined(QUORVIA_X86_DISPATCH)
    if (method_ == Method::Vector) {
        scoreRowAvx2(people_[std::size_t(p)], planes_.data(), blocks_, row.data());
        std::fill(row.begin() + n_, row.end(), std::uint8_t(0));
        row[std::size_t(p)] = 0;
        return;
    }
#endif
    const std::uint64_t positive = asScorer_[2 * std::size_t(p)], negative = asScorer_[2 * std::size_t(p) + 1];
    for (int q = 0; q < n_; ++q) {
        const int score = int(std::bitset<64>(positive & asPartner_[2 * std::size_t(q)]).count())
            - int(std::bitset<64>(negative & asPartner_[2 * std::size_t(q) + 1]).count());
        row[std::size_t(q)] = std::uint8_t(score + kOffset);
    }
    // A row kept from a scan of more people holds their scores past n_: they
    // must not count (a tracker keeps its row across new groups).
    std::fill(row.begin() + n_, row.end(), std::uint8_t(0));
    row[std::size_t(p)] = 0;
}

PairScan::RankWindow PairScan::windowInRow(const Row &row, int rank) const
{
#if defined(QUORVIA_X86_DISPATCH)
    if (method_ == Method::Vector && n_ > 256) {
        // Guess where the rank-th entry lies from a sample of the row, then
        // count around the guess; when the guess misses, count everything.
        const std::size_t sample = std::min<std::size_t>(row.size(), 1024);
        const int sampleRank = int((std::int64_t(rank) * std::int64_t(sample) + std::int64_t(row.size()) - 1)
                                   / std::int64_t(row.size()));
        const RankWindow guessed = windowByHistogram(row.data(), sample, std::max(1, sampleRank));
        RankWindow window;
        window.first = guessed.first;
        std::int64_t counts[kWindow];
        windowCountsAvx2(row.data(), blocks_, window.first, counts, &window.excess);
        for (int w = 0; w < kWindow; ++w)
            window.above[w] = std::int32_t(counts[w]);
        int value = 0, above = 0;
        std::int64_t sumAbove = 0;
        if (locate(window, rank, &value, &above, &sumAbove))
            return window;
    }
#endif
    return windowByHistogram(row.data(), row.size(), rank);
}

bool PairScan::locate(const RankWindow &window, int rank, int *value, int *above, std::int64_t *sumAbove)
{
    if (rank < 1 || window.above[kWindow - 1] >= rank || window.above[0] < rank)
        return false;
    int v = window.first;
    while (window.above[v - window.first + 1] >= rank)
        ++v;
    const int top = window.first + kWindow - 2;
    std::int64_t beyond = window.excess;  // sum of (entry - v) over the entries above v
    for (int t = v; t < top; ++t)
        beyond += window.above[t - window.first + 1];
    *value = v;
    *above = window.above[v - window.first + 1];
    *sumAbove = beyond + std::int64_t(v) * *above;
    return true;
}

bool PairScan::topSumIn(const RankWindow &window, int take, std::int64_t *sum)
{
    if (take <= 0) {
        *sum = 0;
        return true;
    }
    int value = 0, above = 0;
    std::int64_t sumAbove = 0;
    if (!locate(window, take, &value, &above, &sumAbove))
        return false;
    *sum = sumAbove + std::int64_t(take - above) * value - std::int64_t(kOffset) * take;
    return true;
}

PairScan::RankWindow PairScan::window(int p, int rank, Row &row) const
{
    scoreRow(p, row);
    return windowInRow(row, rank);
}

std::int64_t PairScan::topSum(int p, int take, Row &row) const
{
    if (take <= 0)
        return 0;
    std::int64_t sum = 0;
    topSumIn(window(p, take, row), take, &sum);
    return sum;
}

void PairScan::rowTotals(int p, std::int64_t *sum, int *negatives, Row &row) const
{
    scoreRow(p, row);
    std::int64_t entries = 0, below = 0;
#if defined(QUORVIA_X86_DISPATCH)
    if (method_ == Method::Vector) {
        totalsAvx2(row.data(), blocks_, &entries, &below);
    } else
#endif
    {
        for (const std::uint8_t entry : row) {
            entries += entry;
            below += entry < kOffset ? 1 : 0;
        }
    }
    // The person's own entry and the padding hold 0: not scores.
    *negatives = int(below - (std::int64_t(row.size()) - n_ + 1));
    *sum = entries - std::int64_t(kOffset) * (n_ - 1);
}

void PairScan::best(int p, int count, std::vector<int> *out, Row &row) const
{
    out->clear();
    if (count <= 0)
        return;
    int value = 0, above = 0;
    std::int64_t sumAbove = 0;
    locate(window(p, count, row), count, &value, &above, &sumAbove);
    const auto limit = std::size_t(count);
#if defined(QUORVIA_X86_DISPATCH)
    if (method_ == Method::Vector) {
        collectAvx2(row.data(), blocks_, value, false, p, n_, limit, out);
        collectAvx2(row.data(), blocks_, value, true, p, n_, limit, out);
    } else
#endif
    {
        for (int pass = 0; pass < 2; ++pass) {
            for (int q = 0; q < n_ && out->size() < limit; ++q) {
                const int entry = row[std::size_t(q)];
                if (q != p && (pass == 0 ? entry > value : entry == value))
                    out->push_back(q);
            }
        }
    }
    std::sort(out->begin(), out->end());
}

int forRowsInParts(int rows, const std::function<void(int part, int parts)> &work)
{
    constexpr int kThreadsFrom = 4096;
    const int parts =
        rows < kThreadsFrom ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kMaxRowParts)));
    std::vector<std::thread> helpers;
    for (int part = 1; part < parts; ++part)
        helpers.emplace_back(work, part, parts);
    work(0, parts);
    for (std::thread &helper : helpers)
        helper.join();
    return parts;
}

} // namespace quorvia::grouping
