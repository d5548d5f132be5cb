// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/Improver.h"

#include <algorithm>
#include <cstdint>

// The weakest group is lifted last, from the best groups the search kept.

namespace quorvia::grouping {

// The weakest group gives or takes a person, or swaps one, as long as
// that lifts it (and whichever group it dealt with) above its score,
// breaking no more conditions.
template <typename Count>
void Improver<Count>::lift()
{
    for (;;) {
        if (stopped())
            return;
        const int w = weakestGroup();
        if (w < 0 || w >= groups_ || size(w) == 0)
            return;
        const long long low = groupScore_[std::size_t(w)];
        long long bestLow = low, bestBroken = 0, bestGain = 0;
        int bestP = -1, bestQ = -1, bestGroup = -1;
        // newW, newB: the two groups' new scores; a group left empty no longer counts.
        auto consider = [&](long long broken, long long newW, long long newB, bool wEmpty, bool bEmpty, int p,
                            int q, int b) {
            if (broken > 0)
                return;
            const long long lowest = std::min(wEmpty ? State::kNoGroup : newW, bEmpty ? State::kNoGroup : newB);
            const long long gain = newW + newB - low - groupScore_[std::size_t(b)];
            if (lowest <= low)
                return;
            if (bestP < 0 || broken < bestBroken
                || (broken == bestBroken && (lowest > bestLow || (lowest == bestLow && gain > bestGain)))) {
                bestLow = lowest;
                bestBroken = broken;
                bestGain = gain;
                bestP = p;
                bestQ = q;
                bestGroup = b;
            }
        };
        for (int b = 0; b < groups_; ++b) {
            if (b == w)
                continue;
            const long long scoreB = groupScore_[std::size_t(b)];
            for (int k = 0; k < size(w); ++k) {
                const int p = membersOf(w)[k];
                if (locked_[std::size_t(p)])
                    continue;
                const long long out = scoreIn(p, w) - self_[std::size_t(p)];
                const long long in = scoreIn(p, b);
                if (canMove(w, b))
                    consider(moveDelta(p, b), low - out, scoreB + in, size(w) == 1, false, p, -1, b);
                for (int j = 0; j < size(b); ++j) {
                    const int q = membersOf(b)[j];
                    if (locked_[std::size_t(q)])
                        continue;
                    const long long both = pair(p, q);
                    consider(swapDelta(p, q), low - out + scoreIn(q, w) - both,
                             scoreB + in - (scoreIn(q, b) - self_[std::size_t(q)]) - both, false, false, p, q, b);
                }
            }
            if (canMove(b, w)) {
                for (int j = 0; j < size(b); ++j) {
                    const int q = membersOf(b)[j];
                    if (!locked_[std::size_t(q)])
                        consider(moveDelta(q, w), low + scoreIn(q, w),
                                 scoreB - (scoreIn(q, b) - self_[std::size_t(q)]), false, size(b) == 1, q, -2, b);
                }
            }
        }
        if (bestP < 0)
            return;
        if (bestQ >= 0)
            swap(bestP, bestQ);
        else if (bestQ == -1)
            move(bestP, bestGroup);
        else
            move(bestP, w);
    }
}

// Improve runs with three count widths (see improveGroups); each is compiled here once.
#define QUORVIA_IMPROVER_LIFT(Count) \
    template void Improver<Count>::lift();
QUORVIA_IMPROVER_LIFT(std::int8_t)
QUORVIA_IMPROVER_LIFT(std::int16_t)
QUORVIA_IMPROVER_LIFT(std::int32_t)
#undef QUORVIA_IMPROVER_LIFT

} // namespace quorvia::grouping
