// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupImprover.h"

#include "grouping/Improver.h"
#include "grouping/PairScan.h"

#include <algorithm>
#include <cstdint>
#include <limits>

// The order of the search's phases, its work budget, the partner lists
// that choose the groups worth trying, and the best groups kept between phases.

namespace quorvia::grouping {

template <typename Count>
ImproveResult Improver<Count>::run()
{
    if (people_ < 2 || groups_ < 2) {
        if (options_.evenSizes && people_ > 0 && groups_ > 1)
            spread();
        if (progress_)
            progress_(1, 1);
        return finish();
    }
    plan_ = workBudget();
    // Kept back for the last descent from the annealing's best groups.
    budget_ = plan_ - plan_ / 5;
    findNeighbours();
    if (options_.evenSizes)
        spread();
    keep();
    if (penalty_) {
        repair();
        keep();
    }

    // A descent to where nobody has an improving step first, so that the
    // annealing starts from a local optimum and never ends below one; a
    // last descent from the best groups it met.
    queueAll();
    localSearch();
    keep();
    if (options_.liftWeakest) {
        liftAndRaise();
    } else {
        anneal();
        keep();
        if (!cancelled_) {
            budget_ = plan_;
            backToKept();
            queueAll();
            localSearch();
            keep();
        }
    }
    backToKept();
    if (progress_ && !cancelled_)
        progress_(plan_, plan_);
    return finish();
}

// The weakest group first, then the total: the annealing looks for a high
// total, the weakest group is lifted from there, and then the total is
// raised again by steps that leave no group below the lifted one.
template <typename Count>
void Improver<Count>::liftAndRaise()
{
    byTotal_ = true;
    budget_ = plan_ * 3 / 10;
    anneal();
    byTotal_ = false;
    keep();
    budget_ = plan_ * 4 / 10;
    lift();
    keep();
    floor_ = State::key().weakest;
    budget_ = plan_ * 9 / 10;
    anneal();
    keep();
    budget_ = plan_;
    queueAll();
    localSearch();
    lift();
    floor_ = State::key().weakest;
    queueAll();
    localSearch();
    keep();
    floor_ = kNoFloor;
}

template <typename Count>
long long Improver<Count>::workBudget() const
{
    // A unit is one dot product, some 10 ns: about a second for a few
    // hundred people, and a few seconds at most for the largest pools.
    const long long perPerson = 120000;
    if (options_.workBudget > 0)
        return options_.workBudget;
    return std::min<long long>(400000000LL, perPerson * people_);
}

template <typename Count>
bool Improver<Count>::stopped()
{
    if (cancelled_ || work_ >= budget_)
        return true;
    if (progress_ && work_ >= nextReport_) {
        nextReport_ = work_ + kReportEvery;
        if (!progress_(std::min(work_, plan_), plan_))
            cancelled_ = true;
    }
    return cancelled_;
}

// Each person's best partners (highest score, lower index on a tie).
template <typename Count>
void Improver<Count>::findNeighbours()
{
    neighbourCount_ = std::min(kNeighbours, people_ - 1);
    neighbours_.assign(std::size_t(people_) * std::size_t(neighbourCount_), 0);
    {
        const grouping::PairScan scan(masks_);
        grouping::PairScan::Row row;
        std::vector<int> best;
        for (int p = 0; p < people_; ++p) {
            scan.best(p, neighbourCount_, &best, row);
            std::copy(best.begin(), best.end(), neighbours_.begin() + std::ptrdiff_t(p) * neighbourCount_);
            work_ += people_ / kRowWorkDivisor;
            if (p % 64 == 0 && stopped())
                break;
        }
    }
    // Who has p among their partners.
    reverseStart_.assign(std::size_t(people_) + 1, 0);
    for (int x : neighbours_)
        ++reverseStart_[std::size_t(x) + 1];
    for (int p = 0; p < people_; ++p)
        reverseStart_[std::size_t(p) + 1] += reverseStart_[std::size_t(p)];
    reverse_.assign(neighbours_.size(), 0);
    std::vector<int> fill(reverseStart_.begin(), reverseStart_.end() - 1);
    for (int p = 0; p < people_; ++p)
        for (int k = 0; k < neighbourCount_; ++k) {
            const int q = neighbours_[std::size_t(p) * std::size_t(neighbourCount_) + std::size_t(k)];
            reverse_[std::size_t(fill[std::size_t(q)]++)] = p;
        }
    stamp_.assign(std::size_t(groups_), 0);
}

template <typename Count>
bool Improver<Count>::allOtherGroups(int own, std::vector<int> *out) const
{
    out->clear();
    if (groups_ > kAllGroups)
        return false;
    for (int g = 0; g < groups_; ++g) {
        if (g != own)
            out->push_back(g);
    }
    return true;
}

// The groups worth trying for p, p's own group excluded.
template <typename Count>
void Improver<Count>::candidates(int p, std::vector<int> *out)
{
    const int own = group_[std::size_t(p)];
    if (allOtherGroups(own, out))
        return;
    ++stampValue_;
    stamp_[std::size_t(own)] = stampValue_;
    const int *first = neighbours_.data() + std::size_t(p) * std::size_t(neighbourCount_);
    for (int k = 0; k < neighbourCount_; ++k) {
        const int g = group_[std::size_t(first[k])];
        if (stamp_[std::size_t(g)] != stampValue_) {
            stamp_[std::size_t(g)] = stampValue_;
            out->push_back(g);
        }
    }
}

// The best groups met so far, in the search's order; the start is the first.
template <typename Count>
void Improver<Count>::keep()
{
    const auto now = State::key();
    if (!haveKept_ || now > keptKey_) {
        keptKey_ = now;
        kept_ = group_;
        haveKept_ = true;
    }
}

template <typename Count>
void Improver<Count>::backToKept()
{
    if (haveKept_ && group_ != kept_) {
        group_ = kept_;
        rebuild();
    }
}

template <typename Count>
ImproveResult Improver<Count>::finish()
{
    ImproveResult result;
    result.cancelled = cancelled_;
    result.groups = !spreadMoved_ && group_ == startGroup_ ? start_ : table();
    return result;
}

// Improve runs with three count widths (see improveGroups); each is compiled here once.
#define QUORVIA_IMPROVER_PHASES(Count) \
    template ImproveResult Improver<Count>::run(); \
    template void Improver<Count>::liftAndRaise(); \
    template long long Improver<Count>::workBudget() const; \
    template bool Improver<Count>::stopped(); \
    template void Improver<Count>::findNeighbours(); \
    template void Improver<Count>::candidates(int, std::vector<int> *); \
    template bool Improver<Count>::allOtherGroups(int, std::vector<int> *) const; \
    template void Improver<Count>::keep(); \
    template void Improver<Count>::backToKept(); \
    template ImproveResult Improver<Count>::finish();
QUORVIA_IMPROVER_PHASES(std::int8_t)
QUORVIA_IMPROVER_PHASES(std::int16_t)
QUORVIA_IMPROVER_PHASES(std::int32_t)
#undef QUORVIA_IMPROVER_PHASES

} // namespace quorvia::grouping

namespace quorvia {

ImproveResult improveGroups(const GroupTable &start, const ImproveOptions &options, const ImproveProgress &progress)
{
    using grouping::Improver;
    if (start.GroupSize <= std::numeric_limits<std::int8_t>::max())
        return Improver<std::int8_t>(start, options, progress).run();
    if (start.GroupSize <= std::numeric_limits<std::int16_t>::max())
        return Improver<std::int16_t>(start, options, progress).run();
    return Improver<std::int32_t>(start, options, progress).run();
}

} // namespace quorvia
