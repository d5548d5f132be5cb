// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupImprover.h"

#include "grouping/ImproveState.h"
#include "grouping/PairScan.h"
#include "grouping/TraitMasks.h"

#include <algorithm>
#include <cstdint>
#include <limits>

// The search: a descent (each person's best improving swap or move, until
// nobody has one; in a large group a run of its members stands for all),
// then simulated annealing over swaps and moves to escape that optimum, then
// a descent again from the best groups met. The best groups met, in the order
// conditions, weakest group, total, are what it returns, so the result is
// never worse than the start. People in a broken condition first try every
// group, before anything else.
//
// A person's score against a group is a dot product of the person's weights
// with the group's trait counts, so it costs the same whatever the group's
// size. The groups tried for a person are any group when there are few, and
// mostly the groups of the people they score highest with otherwise.
// Everything is counted in work units (one dot product each); the budget and
// a fixed-seed generator make the result the same on every machine.

namespace quorvia {
namespace {

using namespace grouping;

template <typename Count>
class Improver : ImproveState<Count> {
    using State = ImproveState<Count>;
    using State::canMove, State::membersOf, State::move, State::pair, State::rebuild, State::scoreIn, State::size,
        State::spread, State::swap, State::table;
    using State::capacity_, State::group_, State::groups_, State::locked_, State::lockedCount_, State::masks_,
        State::options_, State::people_, State::self_, State::slots_, State::start_, State::startGroup_,
        State::total_, State::work_, State::spreadMoved_, State::penalty_, State::slot_, State::groupScore_;
    using State::moveDelta, State::swapDelta, State::weakestGroup;

public:
    Improver(const GroupTable &start, const ImproveOptions &options, const ImproveProgress &progress)
        : State(start, options), progress_(progress), random_(0x51A7E5C0FFEEULL)
    {
    }

    ImproveResult run()
    {
        if (people_ < 2 || groups_ < 2) {
            if (options_.evenSizes && people_ > 0 && groups_ > 1)
                spread();
            if (progress_)
                progress_(1, 1);
            return finish();
        }
        plan_ = workBudget();
        // Kept back for the last passes: the descent from the annealing's best
        // groups, lifting the weakest group.
        budget_ = plan_ - plan_ / 5 - (options_.liftWeakest ? plan_ / 10 : 0);
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
        anneal();
        keep();
        if (!cancelled_) {
            budget_ = plan_ - (options_.liftWeakest ? plan_ / 10 : 0);
            backToKept();
            queueAll();
            localSearch();
            keep();
            if (options_.liftWeakest) {
                budget_ = plan_;
                backToKept();
                lift();
                keep();
            }
        }
        backToKept();
        if (progress_ && !cancelled_)
            progress_(plan_, plan_);
        return finish();
    }

private:
    // ------------------------------------------------------------ budget

    long long workBudget() const
    {
        // A unit is one dot product, some 10 ns: about a second for a few
        // hundred people, and a few seconds at most for the largest pools.
        const long long perPerson = 120000;
        if (options_.workBudget > 0)
            return options_.workBudget;
        return std::min<long long>(400000000LL, perPerson * people_);
    }

    bool stopped()
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
    static constexpr long long kReportEvery = 1 << 18;

    // ------------------------------------------------------------ neighbours

    // Each person's best partners (highest score, lower index on a tie).
    void findNeighbours()
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

    // The groups worth trying for p, p's own group excluded.
    void candidates(int p, std::vector<int> *out)
    {
        out->clear();
        const int own = group_[std::size_t(p)];
        if (groups_ <= kAllGroups) {
            for (int g = 0; g < groups_; ++g) {
                if (g != own)
                    out->push_back(g);
            }
            return;
        }
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

    // ------------------------------------------------------------ local search

    // A step: first how much it changes the broken conditions (lower is
    // better), then the score it gains. The empty step changes nothing.
    struct Step {
        long long broken = 0;
        long long gain = 0;
        int group = -1;
        int partner = -1;  // -1: a move into a free slot
        bool betterThan(long long otherBroken, long long otherGain) const
        {
            return broken != otherBroken ? broken < otherBroken : gain > otherGain;
        }
    };

    // p's best step into the groups of its partners (every group with
    // `allGroups`): a move into a free slot or a swap with a member.
    Step bestStep(int p, bool allGroups = false)
    {
        Step best;
        const auto pi = std::size_t(p);
        const int a = group_[pi];
        const int base = scoreIn(p, a) - self_[pi];
        if (allGroups) {
            candidateBuffer_.clear();
            for (int g = 0; g < groups_; ++g) {
                if (g != a)
                    candidateBuffer_.push_back(g);
            }
        } else {
            candidates(p, &candidateBuffer_);
        }
        for (int b : candidateBuffer_) {
            const int gain = scoreIn(p, b) - base;
            if (canMove(a, b)) {
                const Step step{moveDelta(p, b), gain, b, -1};
                if (step.betterThan(best.broken, best.gain))
                    best = step;
            }
            // A large group offers a run of its members from a random place
            // (all of them to a person in a broken condition).
            const int *others = membersOf(b);
            const int count = size(b);
            const int scanned = allGroups || count <= kScanWhole ? count : kScanWhole;
            const int from = scanned < count ? random_.below(count) : 0;
            for (int j = 0; j < scanned; ++j) {
                const int q = others[(from + j) % count];
                const auto qi = std::size_t(q);
                if (locked_[qi])
                    continue;
                const long long swapGain =
                    gain + scoreIn(q, a) - scoreIn(q, b) + self_[qi] - 2LL * pair(p, q);
                const Step step{swapDelta(p, q), swapGain, b, q};
                if (step.betterThan(best.broken, best.gain))
                    best = step;
            }
        }
        return best;
    }

    void takeStep(int p, const Step &step)
    {
        if (step.partner >= 0)
            swap(p, step.partner);
        else
            move(p, step.group);
    }

    // Conditions first: the people in a broken condition try every group,
    // which the partner lists alone might never offer them.
    void repair()
    {
        for (bool progress = true; progress && penalty_->broken() > 0;) {
            progress = false;
            for (int slot : penalty_->culprits()) {
                const int p = personOfSlot(slot);
                if (p < 0 || locked_[std::size_t(p)] || stopped())
                    continue;
                const Step step = bestStep(p, true);
                if (step.group >= 0 && step.broken < 0) {
                    takeStep(p, step);
                    progress = true;
                    break;  // the culprits have changed
                }
            }
        }
    }

    int personOfSlot(int slot) const
    {
        const auto at = std::lower_bound(slot_.begin(), slot_.end(), slot);
        return at != slot_.end() && *at == slot ? int(at - slot_.begin()) : -1;
    }

    // The weakest group gives or takes a person, or swaps one, as long as
    // that lifts it (and whichever group it dealt with) above its score,
    // breaking no more conditions.
    void lift()
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

    // The best groups met so far, in the search's order; the start is the first.
    void keep()
    {
        const auto now = State::key();
        if (!haveKept_ || now > keptKey_) {
            keptKey_ = now;
            kept_ = group_;
            haveKept_ = true;
        }
    }

    void backToKept()
    {
        if (haveKept_ && group_ != kept_) {
            group_ = kept_;
            rebuild();
        }
    }

    void push(int p)
    {
        const auto pi = std::size_t(p);
        if (locked_[pi] || queued_[pi])
            return;
        queued_[pi] = true;
        queue_.push_back(p);
    }

    void queueAll()
    {
        queued_.assign(std::size_t(people_), false);
        queue_.clear();
        head_ = 0;
        for (int p = 0; p < people_; ++p)
            push(p);
    }

    void touched(int p)
    {
        push(p);
        for (int k = reverseStart_[std::size_t(p)]; k < reverseStart_[std::size_t(p) + 1]; ++k)
            push(reverse_[std::size_t(k)]);
    }

    void touchedGroup(int g)
    {
        for (int k = 0; k < size(g); ++k)
            push(membersOf(g)[k]);
    }

    void localSearch()
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

    // ------------------------------------------------------------ annealing

    // A random step: p swaps with a member of another group, or moves into
    // its free slot. The group is mostly that of one of p's best partners.
    struct Proposal {
        int person = -1, group = -1, partner = -1;
        long long gain = 0;
        long long broken = 0;  // the change in broken conditions
    };

    bool propose(Proposal *step)
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
        const long long gain = scoreIn(p, b) - scoreIn(p, a) + self_[pi] + partnerGain;
        *step = Proposal{p, b, q, gain, q >= 0 ? swapDelta(p, q) : moveDelta(p, b)};
        return true;
    }

    void take(const Proposal &step)
    {
        if (step.partner >= 0) {
            swap(step.person, step.partner);
            remember(step.partner);
        } else {
            move(step.person, step.group);
        }
        remember(step.person);
        const auto now = State::key();
        if (now > bestKey_) {
            for (int p : changed_) {
                bestGroup_[std::size_t(p)] = group_[std::size_t(p)];
                isChanged_[std::size_t(p)] = false;
            }
            changed_.clear();
            bestKey_ = now;
        }
    }

    void remember(int p)
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
    void anneal()
    {
        for (int p = 0; p < people_; ++p) {
            if (!locked_[std::size_t(p)])
                movable_.push_back(p);
        }
        if (movable_.empty())
            return;
        bestKey_ = State::key();
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

    ImproveResult finish()
    {
        ImproveResult result;
        result.cancelled = cancelled_;
        result.groups = !spreadMoved_ && group_ == startGroup_ ? start_ : table();
        return result;
    }

    static constexpr int kNeighbours = 16;
    // A row of pair scores costs about as much as this many dot products per person.
    static constexpr std::int64_t kRowWorkDivisor = 16;
    static constexpr int kAllGroups = 32;
    static constexpr int kScanWhole = 32;  // members of a group a descent step looks at
    static constexpr int kBestPartnerUpTo = 8;
    static constexpr long long kRoomyBudget = 50000;
    static constexpr double kWarmStart = 0.5;
    static constexpr double kCoolStart = 0.1;
    static constexpr double kEndFactor = 0.02;
    static constexpr double kCooling = 0.95;

    const ImproveProgress &progress_;
    Random random_;

    int neighbourCount_ = 0;
    std::vector<int> neighbours_, reverseStart_, reverse_;
    std::vector<unsigned> stamp_;
    unsigned stampValue_ = 0;
    std::vector<int> candidateBuffer_;

    std::vector<int> queue_;
    std::size_t head_ = 0;
    std::vector<bool> queued_;

    std::vector<int> movable_;  // the people not locked
    std::size_t cursor_ = 0;
    typename State::Key bestKey_;
    std::vector<int> bestGroup_;
    std::vector<int> changed_;  // people whose group differs from bestGroup_, or did
    std::vector<bool> isChanged_;

    typename State::Key keptKey_;  // the best of every phase's end
    std::vector<int> kept_;
    bool haveKept_ = false;

    long long budget_ = 0, plan_ = 0, nextReport_ = 0;
    bool cancelled_ = false;
};

} // namespace

ImproveResult improveGroups(const GroupTable &start, const ImproveOptions &options, const ImproveProgress &progress)
{
    if (start.GroupSize <= std::numeric_limits<std::int8_t>::max())
        return Improver<std::int8_t>(start, options, progress).run();
    if (start.GroupSize <= std::numeric_limits<std::int16_t>::max())
        return Improver<std::int16_t>(start, options, progress).run();
    return Improver<std::int32_t>(start, options, progress).run();
}

} // namespace quorvia
