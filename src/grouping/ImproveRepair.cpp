// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/Improver.h"

#include <algorithm>
#include <cstdint>

// Broken conditions come before score, so they are mended first: each
// person in one takes their best step that breaks less, among the groups
// the conditions point to and those of their partners; when nobody has
// one, a chain of two swaps, the second mending what the first broke;
// then every group.

namespace quorvia::grouping {

template <typename Count>
void Improver<Count>::repair()
{
    while (penalty_->broken() > 0 && !stopped()) {
        bool progress = false;
        for (const int slot : penalty_->culprits()) {
            const int p = personOfSlot(slot);
            if (p < 0 || locked_[std::size_t(p)])
                continue;
            if (stopped())
                return;
            // An earlier step may have mended p's conditions: then none breaks less.
            const Step step = repairStep(p);
            if (step.group >= 0 && step.broken < 0) {
                takeStep(p, step);
                progress = true;
            }
        }
        if (progress)
            continue;
        // Chains, then every group, each for as long as a share of the work left allows.
        const long long chainsUntil = work_ + (budget_ - work_) / 8;
        for (const int slot : penalty_->culprits()) {
            const int p = personOfSlot(slot);
            if (work_ > chainsUntil)
                break;
            if (p >= 0 && !locked_[std::size_t(p)] && !stopped() && chain(p))
                progress = true;
        }
        if (progress)
            continue;
        const long long until = work_ + (budget_ - work_) / 16;
        for (const int slot : penalty_->culprits()) {
            const int p = personOfSlot(slot);
            if (work_ > until)
                break;
            if (p < 0 || locked_[std::size_t(p)] || stopped())
                continue;
            const Step step = bestStep(p, true);
            if (step.group >= 0 && step.broken < 0) {
                takeStep(p, step);
                progress = true;
            }
        }
        if (!progress)
            return;
    }
}

// The groups p tries: every group when they are few, else those the
// conditions point to and (unless `helpfulOnly` and there are some) those
// of p's partners; never p's own.
template <typename Count>
void Improver<Count>::repairGroups(int p, std::vector<int> *out, bool helpfulOnly)
{
    const int own = group_[std::size_t(p)];
    if (allOtherGroups(own, out))
        return;
    std::vector<int> helpful;
    penalty_->helpfulGroups(slot_[std::size_t(p)], &helpful);
    work_ += std::ptrdiff_t(helpful.size());
    if (helpfulOnly && !helpful.empty())
        out->clear();
    else
        candidates(p, out);
    ++stampValue_;
    stamp_[std::size_t(own)] = stampValue_;
    for (const int g : *out)
        stamp_[std::size_t(g)] = stampValue_;
    for (const int g : helpful) {
        if (g >= 0 && g < groups_ && stamp_[std::size_t(g)] != stampValue_) {
            stamp_[std::size_t(g)] = stampValue_;
            out->push_back(g);
        }
    }
}

template <typename Count>
auto Improver<Count>::repairStep(int p) -> Step
{
    repairGroups(p, &repairBuffer_, false);
    return bestStepIn(p, repairBuffer_, true);
}

// p swaps into a group where it helps even though that breaks something
// else, if someone of the two groups can then mend more than was broken
// (the person p displaced, or p's partner in a pair kept together). The
// first swaps tried go where p helps, those that break least first.
template <typename Count>
bool Improver<Count>::chain(int p)
{
    constexpr std::size_t kTried = 8;
    repairGroups(p, &chainBuffer_, true);
    struct First {
        long long broken;
        int partner;
    };
    std::vector<First> firsts;
    for (const int b : chainBuffer_) {
        for (int j = 0; j < size(b); ++j) {
            const int q = membersOf(b)[j];
            if (!locked_[std::size_t(q)])
                firsts.push_back({swapDelta(p, q), q});
        }
    }
    const std::size_t tried = std::min(kTried, firsts.size());
    std::partial_sort(firsts.begin(), firsts.begin() + std::ptrdiff_t(tried), firsts.end(),
                      [](const First &x, const First &y) {
                          return x.broken != y.broken ? x.broken < y.broken : x.partner < y.partner;
                      });
    std::vector<int> seconds;
    for (std::size_t k = 0; k < tried && !stopped(); ++k) {
        const int q = firsts[k].partner;
        swap(p, q);
        seconds.clear();
        for (const int g : {group_[std::size_t(q)], group_[std::size_t(p)]}) {
            for (int j = 0; j < size(g); ++j) {
                const int r = membersOf(g)[j];
                if (r != p && !locked_[std::size_t(r)])
                    seconds.push_back(r);
            }
        }
        for (const int r : seconds) {
            const Step second = repairStep(r);
            if (second.group >= 0 && firsts[k].broken + second.broken < 0) {
                takeStep(r, second);
                return true;
            }
        }
        swap(p, q);  // back as it was
    }
    return false;
}

template <typename Count>
int Improver<Count>::personOfSlot(int slot) const
{
    const auto at = std::lower_bound(slot_.begin(), slot_.end(), slot);
    return at != slot_.end() && *at == slot ? int(at - slot_.begin()) : -1;
}

// Improve runs with three count widths (see improveGroups); each is compiled here once.
#define QUORVIA_IMPROVER_REPAIR(Count) \
    template void Improver<Count>::repair(); \
    template void Improver<Count>::repairGroups(int, std::vector<int> *, bool); \
    template auto Improver<Count>::repairStep(int) -> Step; \
    template bool Improver<Count>::chain(int); \
    template int Improver<Count>::personOfSlot(int) const;
QUORVIA_IMPROVER_REPAIR(std::int8_t)
QUORVIA_IMPROVER_REPAIR(std::int16_t)
QUORVIA_IMPROVER_REPAIR(std::int32_t)
#undef QUORVIA_IMPROVER_REPAIR

} // namespace quorvia::grouping
