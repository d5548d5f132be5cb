// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the group builder: everybody's score against one person at a
// time, and what the quality measure and the improver take from such a row
// (the sum of its highest scores, a person's best partners). A row is
// n * n / 2 scores away from the next for a large pool, so the rows are
// scored 32 people at a time where the processor can.

#include "grouping/TraitMasks.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quorvia::grouping {

class PairScan {
public:
    // Plain 64-bit arithmetic that runs anywhere, or AVX2 byte shuffles.
    enum class Method { Portable, Vector };
    static bool available(Method method);
    static Method fastest();

    explicit PairScan(const std::vector<TraitMasks> &people, Method method = fastest());

    int size() const { return n_; }

    // A row being worked on: one per thread.
    using Row = std::vector<std::uint8_t>;

    // How many entries of a row lie above each of ten neighbouring values
    // (entries hold score + 44): enough to sum the `take` highest scores for
    // every take whose take-th highest entry lies within the window, so that
    // a person's sum can follow a change of group size without a new row.
    static constexpr int kWindow = 10;
    struct RankWindow {
        std::int32_t first = 0;                // the window covers entries first .. first + 8
        std::int32_t above[kWindow] = {};      // above[w]: entries greater than first - 1 + w
        std::int64_t excess = 0;               // sum of (entry - (first + 8)) over the entries above it
    };
    // The window of p's row around its rank-th highest entry (1 <= rank < size()).
    RankWindow window(int p, int rank, Row &row) const;
    // The sum of the `take` highest scores read off a window; false when the
    // take-th highest entry lies outside it (take 0 always succeeds).
    static bool topSumIn(const RankWindow &window, int take, std::int64_t *sum);

    // The sum of the `take` highest scores of person p against the others
    // (0 <= take < size()).
    std::int64_t topSum(int p, int take, Row &row) const;

    // The sum of p's scores against everybody else, and how many of them are
    // below 0.
    void rowTotals(int p, std::int64_t *sum, int *negatives, Row &row) const;

    // The `count` people p scores highest with, in index order; among equal
    // scores the lower indexes (count < size()).
    void best(int p, int count, std::vector<int> *out, Row &row) const;

private:
    void scoreRow(int p, Row &row) const;
    // The window of a scored row around its rank-th highest entry (1 = the highest).
    RankWindow windowInRow(const Row &row, int rank) const;
    // The rank-th highest entry in a window, how many entries are above it
    // and their sum; false when it lies outside.
    static bool locate(const RankWindow &window, int rank, int *value, int *above, std::int64_t *sumAbove);

    int n_ = 0;
    Method method_;
    std::vector<TraitMasks> people_;
    std::vector<std::uint64_t> asScorer_;   // per person: compatible | own << 22, incompatible | own << 22
    std::vector<std::uint64_t> asPartner_;  // per person: own | compatible << 22, own | incompatible << 22
    std::vector<std::uint8_t> planes_;      // the vector method's layout, 32 people per block
    // A row holds score + 44 for everybody but the person scored and the
    // padding after the last person, which hold 0.
    std::size_t blocks_ = 0;
};

// Runs work(part) for part 0 .. parts - 1, where parts is 1 for fewer than
// 4,096 rows and up to kMaxRowParts otherwise, each on a thread of its own but the
// first, and returns the number of parts. A part takes the rows p with
// p % parts == part; the sums are whole numbers, so the result never depends
// on how the rows were shared.
constexpr int kMaxRowParts = 4;
int forRowsInParts(int rows, const std::function<void(int part, int parts)> &work);

} // namespace quorvia::grouping
