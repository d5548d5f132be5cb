// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/BestPossible.h"

#include "grouping/PairScan.h"
#include "grouping/PartitionBound.h"
#include "grouping/TraitMasks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// Two proofs that no grouping scores more than the figure given.
//
// Small pools: every grouping, by dynamic programming over the sets of
// people already placed (the next group always takes the first person left),
// so the figure is the best total itself.
//
// Larger pools: a group's score is the sum over its people of what each
// gets from the others, a pair's score split between its two people in any
// proportion. Whatever the split, a person in a group of s can get no more
// than the sum of their s - 1 highest shares, so the sum of those over all
// people is a bound (halves for everybody is the plain bound). The split is
// then tuned, pair by pair, towards agreement (a subgradient method on the
// pairs' shares): a person who counts a partner who does not count them back
// gives some of the pair's points to the partner. Only each person's best
// partners are tuned; every other pair keeps halves, and its share is counted
// as the highest it can be (half the score just below the best partners').
// In large groups (more than 13 people) the halves stay untuned.
//
// Up to 150 people in groups of up to 6, and fewer in larger groups (down
// to 40 in groups of more than 10), the figure is lowered further
// by the linear program over groups (PartitionBound.cpp), which sees that a
// group's pairs come together.

namespace quorvia {
namespace {

using grouping::TraitMasks;

std::vector<TraitMasks> peopleOf(const GroupTable &layout)
{
    std::vector<TraitMasks> people;
    for (const ProfileRecord &r : layout.slotRecords) {
        if (isPerson(r))
            people.emplace_back(r);
    }
    return people;
}

std::int64_t exactBest(const std::vector<TraitMasks> &people, int groups, int groupSize)
{
    const int n = int(people.size());
    const unsigned full = (1u << n) - 1;
    std::vector<int> score(std::size_t(1) << n, 0);  // the score of every set of people as one group
    for (unsigned set = 1; set <= full; ++set) {
        const int top = 31 - __builtin_clz(set);
        const unsigned rest = set & ~(1u << top);
        int sum = score[rest];
        for (unsigned r = rest; r; r &= r - 1)
            sum += grouping::pairScore(people[std::size_t(top)], people[std::size_t(__builtin_ctz(r))]);
        score[set] = sum;
    }
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
    std::vector<std::int64_t> now(std::size_t(full) + 1, kNone), next;
    now[0] = 0;
    std::int64_t best = n == 0 ? 0 : kNone;
    for (int g = 0; g < std::min(groups, n); ++g) {
        next.assign(now.size(), kNone);
        for (unsigned placed = 0; placed < full; ++placed) {
            if (now[placed] == kNone)
                continue;
            const unsigned left = full & ~placed;
            const unsigned first = left & (0u - left);
            const unsigned others = left & ~first;
            // Every set of others the first person left can be grouped with.
            for (unsigned with = others;; with = (with - 1) & others) {
                if (__builtin_popcount(with) < groupSize) {
                    const unsigned group = with | first;
                    next[placed | group] = std::max(next[placed | group], now[placed] + score[group]);
                }
                if (with == 0)
                    break;
            }
        }
        now.swap(next);
        best = std::max(best, now[full]);
    }
    return best;
}

class SplitBound {
public:
    SplitBound(const std::vector<TraitMasks> &people, int groups, int groupSize)
        : people_(people), n_(int(people.size())), take_(groupSize - 1),
          everyoneFull_(std::int64_t(groups) * groupSize == std::int64_t(people.size()))
    {
    }

    std::int64_t run()
    {
        if (n_ < 2 || take_ <= 0)
            return 0;
        if (take_ > kTunedUpTo)
            return halves();
        findPartners();
        double best = evaluate();
        double step = kFirstStep;
        // Fewer rounds for many pairs, the steps shrinking as far in the end.
        const int rounds = int(std::clamp<std::size_t>(kRoundWork / std::max<std::size_t>(1, half_.size()), 12, kRounds));
        const double decay = std::pow(kStepDecay, double(kRounds) / double(rounds));
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t e = 0; e < half_.size(); ++e) {
                shift_[e] -= step * (double(counted_[2 * e]) - double(counted_[2 * e + 1]));
                share_[std::size_t(at_[2 * e])] = half_[e] + shift_[e];
                share_[std::size_t(at_[2 * e + 1])] = half_[e] - shift_[e];
            }
            best = std::min(best, evaluate());
            step *= decay;
        }
        // The total is a whole number: a bound above it by less than one is that number.
        return std::int64_t(std::floor(best + 1e-6));
    }

private:
    void findPartners()
    {
        const int partners = std::min(n_ - 1, std::max(2 * take_ + 8, 24));
        const bool withRest = partners < n_ - 1;
        std::vector<std::vector<int>> chosen(static_cast<std::size_t>(n_));
        rest_.assign(std::size_t(n_), 0.0);
        const grouping::PairScan scan(people_);
        grouping::forRowsInParts(n_, [&](int part, int parts) {
            grouping::PairScan::Row row;
            std::vector<int> best;
            std::vector<std::pair<int, int>> ranked;
            for (int p = part; p < n_; p += parts) {
                scan.best(p, partners + (withRest ? 1 : 0), &best, row);
                ranked.clear();
                for (int q : best)
                    ranked.push_back({-grouping::pairScore(people_[std::size_t(p)], people_[std::size_t(q)]), q});
                std::sort(ranked.begin(), ranked.end());
                if (withRest) {
                    rest_[std::size_t(p)] = -ranked.back().first / 2.0;
                    ranked.pop_back();
                }
                for (const auto &r : ranked)
                    chosen[std::size_t(p)].push_back(r.second);
            }
        });
        // Each pair once, whoever chose whom.
        std::vector<std::pair<int, int>> all;
        for (int p = 0; p < n_; ++p)
            for (int q : chosen[std::size_t(p)])
                all.push_back({std::min(p, q), std::max(p, q)});
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        // Each person's pairs side by side, in pair order.
        incidentFrom_.assign(std::size_t(n_) + 1, 0);
        for (const auto &[p, q] : all) {
            ++incidentFrom_[std::size_t(p) + 1];
            ++incidentFrom_[std::size_t(q) + 1];
        }
        for (int p = 0; p < n_; ++p)
            incidentFrom_[std::size_t(p) + 1] += incidentFrom_[std::size_t(p)];
        incident_.assign(2 * all.size(), 0);
        share_.assign(2 * all.size(), 0.0);
        at_.assign(2 * all.size(), 0);
        std::vector<int> filled(incidentFrom_.begin(), incidentFrom_.end() - 1);
        half_.clear();
        for (const auto &[p, q] : all) {
            const int e = int(half_.size());
            half_.push_back(grouping::pairScore(people_[std::size_t(p)], people_[std::size_t(q)]) / 2.0);
            at_[2 * std::size_t(e)] = filled[std::size_t(p)]++;
            at_[2 * std::size_t(e) + 1] = filled[std::size_t(q)]++;
            for (int side = 2 * e; side <= 2 * e + 1; ++side) {
                incident_[std::size_t(at_[std::size_t(side)])] = side;
                share_[std::size_t(at_[std::size_t(side)])] = half_.back();
            }
        }
        shift_.assign(half_.size(), 0.0);
        counted_.assign(2 * half_.size(), 0);
    }

    // Halves for every pair, untuned: in large groups tuning gains little
    // and every person would have hundreds of partners to tune. A person's
    // count is the sum of their `take` highest scores, read off the row by
    // counting; where groups may be smaller only gains count, so the sum
    // stops at the last score above 0 (zeros add nothing either way).
    std::int64_t halves() const
    {
        const grouping::PairScan scan(people_);
        std::vector<std::int64_t> sums(grouping::kMaxRowParts, 0);
        const int take = std::min(take_, n_ - 1);
        grouping::forRowsInParts(n_, [&](int part, int parts) {
            grouping::PairScan::Row row;
            std::int64_t sum = 0;
            for (int p = part; p < n_; p += parts) {
                if (everyoneFull_) {
                    sum += scan.topSum(p, take, row);
                    continue;
                }
                // Mostly the window around the take-th score also tells how
                // many scores lie above 0; otherwise they are counted.
                const grouping::PairScan::RankWindow window = scan.window(p, take, row);
                const int zeroAt = kEntryOfZero - window.first + 1;
                int positives = -1;
                if (zeroAt < 0)
                    positives = take;
                else if (zeroAt < grouping::PairScan::kWindow)
                    positives = window.above[zeroAt];
                std::int64_t top = 0;
                if (positives < 0 || !grouping::PairScan::topSumIn(window, std::min(take, positives), &top)) {
                    std::int64_t total = 0;
                    int negatives = 0;
                    scan.rowTotals(p, &total, &negatives, row);
                    top = scan.topSum(p, std::min(take, n_ - 1 - negatives), row);
                }
                sum += top;
            }
            sums[std::size_t(part)] = sum;
        });
        std::int64_t twice = 0;
        for (std::int64_t sum : sums)
            twice += sum;
        return twice / 2;
    }

    // The bound for the present split; marks which shares each person counts.
    double evaluate()
    {
        std::fill(counted_.begin(), counted_.end(), std::uint8_t(0));
        double total = 0;
        // A person's `take_` highest shares as (share, side), highest first;
        // among equal shares the lower pair. A side is 2 * pair + 1 for the
        // second person of the pair.
        std::vector<std::pair<double, int>> top(std::size_t(take_) + 1);
        const auto higher = [](double share, int side, const std::pair<double, int> &than) {
            return share != than.first ? share > than.first : side < than.second;
        };
        for (int p = 0; p < n_; ++p) {
            const int from = incidentFrom_[std::size_t(p)], to = incidentFrom_[std::size_t(p) + 1];
            int kept = 0;
            for (int i = from; i < to; ++i) {
                const int side = incident_[std::size_t(i)];
                const double share = share_[std::size_t(i)];
                if (kept == take_ && !higher(share, side, top[std::size_t(kept) - 1]))
                    continue;
                int j = kept < take_ ? kept++ : kept - 1;
                for (; j > 0 && higher(share, side, top[std::size_t(j) - 1]); --j)
                    top[std::size_t(j)] = top[std::size_t(j) - 1];
                top[std::size_t(j)] = {share, side};
            }
            const int others = n_ - 1 - (to - from);  // pairs not tuned, each at most rest_[p]
            int next = 0;
            int restUsed = 0;
            for (int k = 0; k < take_; ++k) {
                const bool haveShare = next < kept;
                const bool haveRest = restUsed < others;
                if (!haveShare && !haveRest)
                    break;
                const bool useShare = haveShare && (!haveRest || top[std::size_t(next)].first >= rest_[std::size_t(p)]);
                const double value = useShare ? top[std::size_t(next)].first : rest_[std::size_t(p)];
                // In groups of different sizes a person may have fewer partners: only gains count.
                if (!everyoneFull_ && value <= 0)
                    break;
                total += value;
                if (useShare)
                    counted_[std::size_t(top[std::size_t(next++)].second)] = 1;
                else
                    ++restUsed;
            }
        }
        return total;
    }

    static constexpr int kTunedUpTo = 12;  // partners per person
    static constexpr int kEntryOfZero = 44;  // a scanned row's entries are score + 44
    static constexpr std::size_t kRounds = 120;
    static constexpr std::size_t kRoundWork = 20000000;  // pairs times rounds
    static constexpr double kFirstStep = 1.0;
    static constexpr double kStepDecay = 0.97;

    const std::vector<TraitMasks> &people_;
    const int n_;
    const int take_;
    const bool everyoneFull_;
    // Per pair (p < q): half its score, and the part of q's half moved to p.
    std::vector<double> half_, shift_;
    std::vector<std::uint8_t> counted_;  // per side: the person counts the pair's share
    std::vector<int> incidentFrom_;      // person p's sides are incident_[from[p] .. from[p + 1])
    std::vector<int> incident_;
    // Beside each of incident_: that side's share, kept so that a person's
    // shares are read in a row rather than from pairs all over memory.
    std::vector<double> share_;
    std::vector<int> at_;  // per side: where it lies in incident_
    std::vector<double> rest_;
};

} // namespace

BestPossible bestPossible(const GroupTable &layout)
{
    const std::vector<TraitMasks> people = peopleOf(layout);
    const int n = int(people.size());
    if (n <= kExactBestUpTo)
        return {exactBest(people, layout.NumGroups, layout.GroupSize), true};
    const std::int64_t split = SplitBound(people, layout.NumGroups, layout.GroupSize).run();
    if (n > partitionBoundUpTo(layout.GroupSize))
        return {split, false};
    std::vector<int> scores(std::size_t(n) * std::size_t(n), 0);
    for (int p = 0; p < n; ++p)
        for (int q = 0; q < n; ++q)
            if (p != q)
                scores[std::size_t(p) * std::size_t(n) + std::size_t(q)] =
                    grouping::pairScore(people[std::size_t(p)], people[std::size_t(q)]);
    const std::int64_t byGroups = partitionBound(scores, n, layout.NumGroups, layout.GroupSize).bound;
    return {std::min(split, byGroups), false, byGroups < split};
}

} // namespace quorvia
