// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/Improver.h"

#include <algorithm>
#include <cstdint>
#include <limits>

// The descent (each person's best step, until nobody has one) and the
// simulated annealing that escapes where the descent ends.

namespace quorvia::grouping {

// p's best step into the groups of its partners (every group with
// `allGroups`): a move into a free slot or a swap with a member.
template <typename Count>
auto Improver<Count>::bestStep(int p, bool allGroups) -> Step
{
    if (allGroups) {
        candidateBuffer_.clear();
        for (int g = 0; g < groups_; ++g) {
            if (g != group_[std::size_t(p)])
                candidateBuffer_.push_back(g);
        }
    } else {
        candidates(p, &candidateBuffer_);
    }
    return bestStepIn(p, candidateBuffer_, allGroups);
}

// p's best step into one of `groups` (not p's own): a move into a free
// slot or a swap with a member.
template <typename Count>
auto Improver<Count>::bestStepIn(int p, const std::vector<int> &groups, bool wholeGroups) -> Step
{
    Step best;
    const auto pi = std::size_t(p);
    const int a = group_[pi];
    const int base = scoreIn(p, a) - self_[pi];
    const bool floored = floor_ != kNoFloor;
    const long long scoreA = floored ? groupScore_[std::size_t(a)] : 0;
    for (int b : groups) {
        const int pInB = scoreIn(p, b);
        const int gain = pInB - base;
        if (canMove(a, b) && (!floored || keepsFloor(scoreA - base, size(a) == 1, groupScore_[std::size_t(b)] + pInB))) {
            const Step step{moveDelta(p, b), gain, b, -1};
            if (step.betterThan(best.broken, best.gain))
                best = step;
        }
        // A large group offers a run of its members from a random place
        // (all of them to a person in a broken condition).
        const int *others = membersOf(b);
        const int count = size(b);
        const int scanned = wholeGroups || count <= kScanWhole ? count : kScanWhole;
        const int from = scanned < count ? random_.below(count) : 0;
        for (int j = 0; j < scanned; ++j) {
            const int q = others[(from + j) % count];
            const auto qi = std::size_t(q);
            if (locked_[qi])
                continue;
            const int qInA = scoreIn(q, a), qInB = scoreIn(q, b), both = pair(p, q);
            const long long swapGain = gain + qInA - qInB + self_[qi] - 2LL * both;
            if (floored
                && !keepsFloor(scoreA - base + qInA - both, false,
                               groupScore_[std::size_t(b)] + pInB - (qInB - self_[qi]) - both))
                continue;
            const Step step{swapDelta(p, q), swapGain, b, q};
            if (step.betterThan(best.broken, best.gain))
                best = step;
        }
    }
    return best;
}

template <typename Count>
void Improver<Count>::takeStep(int p, const Step &step)
{
    if (step.partner >= 0)
        swap(p, step.partner);
    else
        move(p, step.group);
}

template <typename Count>
void Improver<Count>::push(int p)
{
    const auto pi = std::size_t(p);
    if (locked_[pi] || queued_[pi])
        return;
    queued_[pi] = true;
    queue_.push_back(p);
}

template <typename Count>
void Improver<Count>::queueAll()
{
    queued_.assign(std::size_t(people_), false);
    queue_.clear();
    head_ = 0;
    for (int p = 0; p < people_; ++p)
        push(p);
}

template <typename Count>
void Improver<Count>::touched(int p)
{
    push(p);
    for (int k = reverseStart_[std::size_t(p)]; k < reverseStart_[std::size_t(p) + 1]; ++k)
        push(reverse_[std::size_t(k)]);
}

template <typename Count>
void Improver<Count>::touchedGroup(int g)
{
    for (int k = 0; k < size(g); ++k)
        push(membersOf(g)[k]);
}

template <typename Count>
void Improver<Count>::localSearch()
{
    while (head_ < queue_.size()) {
        if (stopped())
            return;
        const int p = queue_[head_++];
        queued_[std::size_t(p)] = false;
        if (head_ > 4096 && head_ * 2 > queue_.size()) {
            queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(head_));
            head_ = 0;
        }
        const Step step = bestStep(p);
        if (step.group < 0)
            continue;
        const int a = group_[std::size_t(p)];
        takeStep(p, step);
        // In a large group one member more or less changes little for the others.
        if (size(a) <= kScanWhole)
            touchedGroup(a);
        if (size(step.group) <= kScanWhole)
            touchedGroup(step.group);
        touched(p);
        if (step.partner >= 0)
            touched(step.partner);
    }
}

template <typename Count>
bool Improver<Count>::propose(Proposal *step)
{
    // People in turn (their data then comes from memory in order), the
    // group at random.
    if (++cursor_ == movable_.size())
        cursor_ = 0;
    const int p = movable_[cursor_];
    const auto pi = std::size_t(p);
    const int a = group_[pi];
    int b = -1;
    if (groups_ > kAllGroups && random_.below(8) != 0)
        b = group_[std::size_t(neighbours_[pi * std::size_t(neighbourCount_)
                                          + std::size_t(random_.below(neighbourCount_))])];
    else
        b = random_.below(groups_);
    ++work_;
    if (b == a)
        return false;
    // A swap, or now and then a move when there is room. In a small group
    // the partner is the member who swaps best; in a large one anybody.
    int q = -1;
    long long partnerGain = 0;
    if (size(b) > 0 && !(canMove(a, b) && random_.below(4) == 0)) {
        if (size(b) <= kBestPartnerUpTo) {
            partnerGain = std::numeric_limits<long long>::min();
            for (int k = 0; k < size(b); ++k) {
                const int r = membersOf(b)[k];
                if (locked_[std::size_t(r)])
                    continue;
                const long long g = scoreIn(r, a) - scoreIn(r, b) + self_[std::size_t(r)] - 2LL * pair(p, r);
                if (g > partnerGain) {
                    partnerGain = g;
                    q = r;
                }
            }
        } else {
            q = membersOf(b)[random_.below(size(b))];
            if (!locked_[std::size_t(q)])
                partnerGain = scoreIn(q, a) - scoreIn(q, b) + self_[std::size_t(q)] - 2LL * pair(p, q);
            else
                q = -1;
        }
        if (q < 0)
            return false;
    } else if (!canMove(a, b)) {
        return false;
    }
    const int pInB = scoreIn(p, b), pInA = scoreIn(p, a);
    const long long gain = pInB - pInA + self_[pi] + partnerGain;
    if (floor_ != kNoFloor) {
        // What each group would score: neither may fall below the floor.
        long long newA = groupScore_[std::size_t(a)] - (pInA - self_[pi]);
        long long newB = groupScore_[std::size_t(b)] + pInB;
        if (q >= 0) {
            const int both = pair(p, q);
            newA += scoreIn(q, a) - both;
            newB -= scoreIn(q, b) - self_[std::size_t(q)] + both;
        }
        if (!keepsFloor(newA, q < 0 && size(a) == 1, newB))
            return false;
    }
    *step = Proposal{p, b, q, gain, q >= 0 ? swapDelta(p, q) : moveDelta(p, b)};
    return true;
}

template <typename Count>
void Improver<Count>::take(const Proposal &step)
{
    if (step.partner >= 0) {
        swap(step.person, step.partner);
        remember(step.partner);
    } else {
        move(step.person, step.group);
    }
    remember(step.person);
    const auto now = annealKey();
    if (now > bestKey_) {
        for (int p : changed_) {
            bestGroup_[std::size_t(p)] = group_[std::size_t(p)];
            isChanged_[std::size_t(p)] = false;
        }
        changed_.clear();
        bestKey_ = now;
    }
}

template <typename Count>
void Improver<Count>::remember(int p)
{
    if (!isChanged_[std::size_t(p)]) {
        isChanged_[std::size_t(p)] = true;
        changed_.push_back(p);
    }
}

// Simulated annealing from the current groups; ends in the best groups it
// met. The temperature falls in steps of 5%, spread evenly over the
// budget; a worse step is taken with probability exp(-loss / temperature),
// read from a table built with whole numbers only, so that every machine
// takes the same steps.
template <typename Count>
void Improver<Count>::anneal()
{
    movable_.clear();
    for (int p = 0; p < people_; ++p) {
        if (!locked_[std::size_t(p)])
            movable_.push_back(p);
    }
    if (movable_.empty())
        return;
    bestKey_ = annealKey();
    bestGroup_ = group_;
    isChanged_.assign(std::size_t(people_), false);

    // The typical loss of a random step sets the starting temperature.
    long long losses = 0, lossCount = 0;
    Proposal step;
    for (int k = 0; k < 1000; ++k) {
        if (propose(&step) && step.gain < 0) {
            losses -= step.gain;
            ++lossCount;
        }
    }
    if (lossCount == 0)
        return;
    // Start cooler when there is little work per person to spend.
    const bool roomy = budget_ / people_ >= kRoomyBudget;
    const double start = double(losses) / double(lossCount) * (roomy ? kWarmStart : kCoolStart);
    const double end = start * kEndFactor;
    int stages = 0;
    for (double t = start; t > end; t *= kCooling)
        ++stages;
    const long long perStage = std::max<long long>(1, (budget_ - work_) / std::max(1, stages));
    double temperature = start;
    long long stageEnd = work_ + perStage;
    const std::vector<std::uint32_t> &accept = acceptanceTable();
    while (!stopped()) {
        for (int k = 0; k < 256; ++k) {
            if (!propose(&step) || step.broken > 0)
                continue;
            if (step.gain >= 0 || step.broken < 0) {
                take(step);
                continue;
            }
            const double index = double(-step.gain) * double(kAcceptanceStepsPerUnit) / temperature;
            if (index < double(accept.size())
                && std::uint32_t(random_.next() >> 32) < accept[std::size_t(index)])
                take(step);
        }
        if (work_ >= stageEnd) {
            temperature *= kCooling;
            stageEnd += perStage;
        }
    }
    // Back to the best groups met.
    if (group_ != bestGroup_) {
        group_ = bestGroup_;
        rebuild();
    }
    changed_.clear();
}

// Improve runs with three count widths (see improveGroups); each is compiled here once.
#define QUORVIA_IMPROVER_SEARCH(Count) \
    template auto Improver<Count>::bestStep(int, bool) -> Step; \
    template auto Improver<Count>::bestStepIn(int, const std::vector<int> &, bool) -> Step; \
    template void Improver<Count>::takeStep(int, const Step &); \
    template void Improver<Count>::push(int); \
    template void Improver<Count>::queueAll(); \
    template void Improver<Count>::touched(int); \
    template void Improver<Count>::touchedGroup(int); \
    template void Improver<Count>::localSearch(); \
    template bool Improver<Count>::propose(Proposal *); \
    template void Improver<Count>::take(const Proposal &); \
    template void Improver<Count>::remember(int); \
    template void Improver<Count>::anneal();
QUORVIA_IMPROVER_SEARCH(std::int8_t)
QUORVIA_IMPROVER_SEARCH(std::int16_t)
QUORVIA_IMPROVER_SEARCH(std::int32_t)
#undef QUORVIA_IMPROVER_SEARCH

} // namespace quorvia::grouping
