#include "grouping/GroupImprover.h"

#include "grouping/PairScan.h"
#include "grouping/TraitMasks.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The search: simulated annealing over swaps and moves, then a local search
// from the best groups it met (each person's best improving swap or move until
// nobody has one). The result is the best groups met, so never worse than the
// start.
//
// A person's score against a group is a dot product of the person's weights
// with the group's trait counts, so it costs the same whatever the group's
// size. The groups tried for a person are any group when there are few, and
// mostly the groups of the people they score highest with otherwise.
// Everything is counted in work units (one dot product each); the budget and
// a fixed-seed generator make the result the same on every machine.

namespace quorvia {
namespace {

using grouping::TraitMasks;

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

bool isPerson(const ProfileRecord &r) { return r.HasData != 0; }

// How many people each group should hold so that sizes differ by as little
// as the locks and slot counts allow: the same level L for every group,
// clamped to [low, high], plus one for some groups to use everybody up.
// Groups already holding more people get the extra one first.
std::vector<int> evenTargets(const std::vector<int> &low, const std::vector<int> &high,
                             const std::vector<int> &current, int people)
{
    const std::size_t groups = low.size();
    auto filled = [&](int level) {
        long long sum = 0;
        for (std::size_t g = 0; g < groups; ++g)
            sum += std::clamp(level, low[g], std::max(low[g], high[g]));
        return sum;
    };
    int maxHigh = 0;
    for (int h : high)
        maxHigh = std::max(maxHigh, h);
    int level = 0;
    while (level < maxHigh && filled(level + 1) <= people)
        ++level;
    std::vector<int> target(groups);
    long long left = people;
    for (std::size_t g = 0; g < groups; ++g) {
        target[g] = std::clamp(level, low[g], std::max(low[g], high[g]));
        left -= target[g];
    }
    std::vector<int> order;
    for (std::size_t g = 0; g < groups; ++g) {
        if (target[g] == level && level < high[g] && low[g] <= level)
            order.push_back(int(g));
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return current[std::size_t(a)] > current[std::size_t(b)]; });
    for (std::size_t k = 0; k < order.size() && left > 0; ++k, --left)
        ++target[std::size_t(order[k])];
    return target;
}

template <typename Count>
class Improver {
public:
    Improver(const GroupTable &start, const ImproveOptions &options, const ImproveProgress &progress)
        : start_(start), options_(options), progress_(progress), random_(0x51A7E5C0FFEEULL)
    {
        groups_ = start.NumGroups;
        slots_ = start.GroupSize;
        members_.assign(std::size_t(groups_) * std::size_t(slots_), -1);
        size_.assign(std::size_t(groups_), 0);
        capacity_.assign(std::size_t(groups_), slots_);
        lockedCount_.assign(std::size_t(groups_), 0);
        counts_.assign(std::size_t(groups_), GroupCounts<Count>{});
        for (int g = 0; g < groups_; ++g) {
            for (int s = 0; s < slots_; ++s) {
                const std::size_t index = std::size_t(g) * std::size_t(slots_) + std::size_t(s);
                const bool locked = index < options.lockedSlots.size() && options.lockedSlots[index];
                const ProfileRecord &r = start.slotRecords[index];
                if (!isPerson(r)) {
                    if (locked)
                        --capacity_[std::size_t(g)];  // a locked free slot stays free
                    continue;
                }
                slot_.push_back(int(index));
                locked_.push_back(locked);
                if (locked)
                    ++lockedCount_[std::size_t(g)];
                group_.push_back(g);
                position_.push_back(0);
                const TraitMasks m(r);
                masks_.push_back(m);
                PersonVector v{};
                for (int t = 0; t < kTraitCount; ++t) {
                    const auto bit = std::uint32_t(1) << t;
                    v.lane[t] = std::int8_t(((m.compatible & bit) ? 1 : 0) - ((m.incompatible & bit) ? 1 : 0));
                    v.lane[kTraitCount + t] = std::int8_t((m.own & bit) ? 1 : 0);
                }
                vector_.push_back(v);
                const std::uint64_t own = m.own;
                pairMasks_.push_back(PairMasks{m.compatible | own << kTraitCount, m.incompatible | own << kTraitCount,
                                               own | std::uint64_t(m.compatible) << kTraitCount,
                                               own | std::uint64_t(m.incompatible) << kTraitCount});
                self_.push_back(pairScore(pairMasks_.back(), pairMasks_.back()));
            }
        }
        people_ = int(slot_.size());
        startGroup_ = group_;
        rebuild();
    }

    ImproveResult run()
    {
        if (people_ < 2 || groups_ < 2) {
            if (options_.evenSizes && people_ > 0 && groups_ > 1)
                spread();
            return finish();
        }
        plan_ = workBudget();
        budget_ = plan_ - (slots_ <= kSmallGroup ? plan_ / 5 : 0);  // the rest for the last pass
        findNeighbours();
        if (options_.evenSizes)
            spread();

        // Small groups: a quick descent first, and a last pass from the best
        // groups the annealing met, so that nobody is left with an improving
        // step. In large groups a person's best step costs a scan of every
        // member of the other groups; there the annealing does it all.
        const bool smallGroups = slots_ <= kSmallGroup;
        if (smallGroups) {
            queueAll();
            localSearch();
        }
        anneal();
        if (!cancelled_ && smallGroups) {
            budget_ = plan_;
            queueAll();
            localSearch();
        }
        if (progress_ && !cancelled_)
            progress_(plan_, plan_);
        return finish();
    }

private:
    // ------------------------------------------------------------ scoring

    int scoreIn(int p, int g)
    {
        ++work_;
        return dot(vector_[std::size_t(p)], counts_[std::size_t(g)]);
    }
    int pair(int p, int q)
    {
        ++work_;
        return pairScore(pairMasks_[std::size_t(p)], pairMasks_[std::size_t(q)]);
    }

    int size(int g) const { return size_[std::size_t(g)]; }
    const int *membersOf(int g) const { return members_.data() + std::size_t(g) * std::size_t(slots_); }

    void addCounts(int p, int g, int sign)
    {
        GroupCounts<Count> &c = counts_[std::size_t(g)];
        const PersonVector &v = vector_[std::size_t(p)];
        for (int t = 0; t < kTraitCount; ++t) {
            c.lane[t] = Count(c.lane[t] + sign * v.lane[kTraitCount + t]);
            c.lane[kTraitCount + t] = Count(c.lane[kTraitCount + t] + sign * v.lane[t]);
        }
    }

    // Members, counts and total from group_ alone.
    void rebuild()
    {
        std::fill(size_.begin(), size_.end(), 0);
        std::fill(counts_.begin(), counts_.end(), GroupCounts<Count>{});
        for (int p = 0; p < people_; ++p) {
            const int g = group_[std::size_t(p)];
            position_[std::size_t(p)] = size_[std::size_t(g)]++;
            members_[std::size_t(g) * std::size_t(slots_) + std::size_t(position_[std::size_t(p)])] = p;
            addCounts(p, g, +1);
        }
        total_ = 0;
        for (int p = 0; p < people_; ++p)
            total_ += scoreIn(p, group_[std::size_t(p)]) - self_[std::size_t(p)];
        total_ /= 2;
    }
    bool canMove(int from, int to) const
    {
        if (size(to) >= capacity_[std::size_t(to)])
            return false;
        return !options_.evenSizes || size(from) > size(to);
    }

    // Moves p into group `to`, keeping the total exact.
    void move(int p, int to)
    {
        const auto pi = std::size_t(p);
        const int from = group_[pi];
        total_ += scoreIn(p, to) - scoreIn(p, from) + self_[pi];
        addCounts(p, from, -1);
        addCounts(p, to, +1);
        int *old = members_.data() + std::size_t(from) * std::size_t(slots_);
        const int last = old[--size_[std::size_t(from)]];
        old[position_[pi]] = last;
        position_[std::size_t(last)] = position_[pi];
        position_[pi] = size_[std::size_t(to)]++;
        members_[std::size_t(to) * std::size_t(slots_) + std::size_t(position_[pi])] = p;
        group_[pi] = to;
    }

    // p and q change places; their groups keep their sizes throughout.
    void swap(int p, int q)
    {
        const auto pi = std::size_t(p), qi = std::size_t(q);
        const int a = group_[pi], b = group_[qi];
        total_ += scoreIn(p, b) - scoreIn(p, a) + self_[pi] + scoreIn(q, a) - scoreIn(q, b) + self_[qi]
            - 2LL * pair(p, q);
        addCounts(p, a, -1);
        addCounts(q, a, +1);
        addCounts(q, b, -1);
        addCounts(p, b, +1);
        members_[std::size_t(a) * std::size_t(slots_) + std::size_t(position_[pi])] = q;
        members_[std::size_t(b) * std::size_t(slots_) + std::size_t(position_[qi])] = p;
        std::swap(position_[pi], position_[qi]);
        group_[pi] = b;
        group_[qi] = a;
    }

    // ------------------------------------------------------------ budget

    long long workBudget() const
    {
        // A unit is one dot product, some 10 ns: about a second for a few
        // hundred people, and a few seconds at most for the largest pools.
        const long long perPerson = 100000;
        if (options_.workBudget > 0)
            return options_.workBudget;
        return std::min<long long>(220000000LL, perPerson * people_);
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

    struct Step {
        long long gain = 0;
        int group = -1;
        int partner = -1;  // -1: a move into a free slot
    };

    Step bestStep(int p)
    {
        Step best;
        const auto pi = std::size_t(p);
        const int a = group_[pi];
        const int base = scoreIn(p, a) - self_[pi];
        candidates(p, &candidateBuffer_);
        for (int b : candidateBuffer_) {
            const int gain = scoreIn(p, b) - base;
            if (gain > best.gain && canMove(a, b))
                best = Step{gain, b, -1};
            const int *others = membersOf(b);
            for (int k = 0; k < size(b); ++k) {
                const int q = others[k];
                const auto qi = std::size_t(q);
                if (locked_[qi])
                    continue;
                const long long swapGain =
                    gain + scoreIn(q, a) - scoreIn(q, b) + self_[qi] - 2LL * pair(p, q);
                if (swapGain > best.gain)
                    best = Step{swapGain, b, q};
            }
        }
        return best;
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
            if (step.gain <= 0)
                continue;
            const int a = group_[std::size_t(p)];
            if (step.partner >= 0)
                swap(p, step.partner);
            else
                move(p, step.group);
            touchedGroup(a);
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
    };

    bool propose(Proposal *step)
    {
        // People in turn (their data then comes from memory in order); the
        // group and the partner at random.
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
        int q = -1;
        if (size(b) > 0 && !(canMove(a, b) && random_.below(4) == 0)) {
            q = membersOf(b)[random_.below(size(b))];
            if (locked_[std::size_t(q)])
                return false;
        } else if (!canMove(a, b)) {
            return false;
        }
        long long gain = scoreIn(p, b) - scoreIn(p, a) + self_[pi];
        if (q >= 0)
            gain += scoreIn(q, a) - scoreIn(q, b) + self_[std::size_t(q)] - 2LL * pair(p, q);
        *step = Proposal{p, b, q, gain};
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
        if (total_ > bestTotal_) {
            for (int p : changed_) {
                bestGroup_[std::size_t(p)] = group_[std::size_t(p)];
                isChanged_[std::size_t(p)] = false;
            }
            changed_.clear();
            bestTotal_ = total_;
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
        bestTotal_ = total_;
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
                if (!propose(&step))
                    continue;
                if (step.gain >= 0) {
                    take(step);
                    continue;
                }
                const double index = double(-step.gain) * double(kTableStepsPerUnit) / temperature;
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
        if (total_ != bestTotal_) {
            group_ = bestGroup_;
            rebuild();
        }
        changed_.clear();
    }

    // accept[k] = 2^32 * exp(-k / kTableStepsPerUnit), down to where it is 0.
    static const std::vector<std::uint32_t> &acceptanceTable()
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

    // ------------------------------------------------------------ even sizes

    void spread()
    {
        std::vector<int> high(static_cast<std::size_t>(groups_)), current(static_cast<std::size_t>(groups_));
        for (int g = 0; g < groups_; ++g) {
            high[std::size_t(g)] = capacity_[std::size_t(g)];
            current[std::size_t(g)] = size(g);
        }
        const std::vector<int> target = evenTargets(lockedCount_, high, current, people_);
        // Each group with too many people gives away the ones who add least to
        // it, each to the short group where they score highest.
        for (int g = 0; g < groups_; ++g) {
            while (size(g) > target[std::size_t(g)]) {
                int leaving = -1;
                long long worst = std::numeric_limits<long long>::max();
                for (int k = 0; k < size(g); ++k) {
                    const int q = membersOf(g)[k];
                    if (locked_[std::size_t(q)])
                        continue;
                    const long long v = scoreIn(q, g) - self_[std::size_t(q)];
                    if (v < worst || (v == worst && q < leaving)) {
                        worst = v;
                        leaving = q;
                    }
                }
                if (leaving < 0)
                    break;
                int into = -1;
                long long bestScore = std::numeric_limits<long long>::min();
                for (int h = 0; h < groups_; ++h) {
                    if (size(h) >= target[std::size_t(h)])
                        continue;
                    const long long v = scoreIn(leaving, h);
                    if (v > bestScore) {
                        bestScore = v;
                        into = h;
                    }
                }
                if (into < 0)
                    break;
                move(leaving, into);
                spreadMoved_ = true;
            }
        }
    }

    // ------------------------------------------------------------ result

    ImproveResult finish()
    {
        ImproveResult result;
        result.cancelled = cancelled_;
        if (!spreadMoved_ && group_ == startGroup_) {
            result.groups = start_;
            return result;
        }
        GroupTable &table = result.groups;
        table.NumGroups = groups_;
        table.GroupSize = slots_;
        table.slotRecords.assign(start_.slotRecords.size(), ProfileRecord{});
        std::vector<bool> taken(table.slotRecords.size(), false);
        for (std::size_t index = 0; index < table.slotRecords.size(); ++index) {
            if (index < options_.lockedSlots.size() && options_.lockedSlots[index]) {
                table.slotRecords[index] = start_.slotRecords[index];
                taken[index] = true;
            }
        }
        for (int g = 0; g < groups_; ++g) {
            std::vector<int> stay(membersOf(g), membersOf(g) + size(g));
            // Those who were here first, in their old order, then the newcomers.
            std::sort(stay.begin(), stay.end(), [&](int x, int y) {
                const bool xNew = startGroup_[std::size_t(x)] != g, yNew = startGroup_[std::size_t(y)] != g;
                return xNew != yNew ? !xNew : x < y;
            });
            std::size_t next = std::size_t(g) * std::size_t(slots_);
            for (int p : stay) {
                if (locked_[std::size_t(p)])
                    continue;
                while (taken[next])
                    ++next;
                table.slotRecords[next] = start_.slotRecords[std::size_t(slot_[std::size_t(p)])];
                taken[next] = true;
            }
        }
        return result;
    }

    static constexpr int kNeighbours = 16;
    // A row of pair scores costs about as much as this many dot products per person.
    static constexpr std::int64_t kRowWorkDivisor = 16;
    static constexpr int kAllGroups = 32;
    static constexpr int kSmallGroup = 32;
    static constexpr long long kRoomyBudget = 50000;
    static constexpr double kWarmStart = 0.5;
    static constexpr double kCoolStart = 0.1;
    static constexpr double kEndFactor = 0.02;
    static constexpr double kCooling = 0.95;
    static constexpr int kTableStepsPerUnit = 16;

    const GroupTable &start_;
    const ImproveOptions &options_;
    const ImproveProgress &progress_;
    Random random_;

    int groups_ = 0;
    int slots_ = 0;
    int people_ = 0;
    std::vector<int> slot_;  // start table index of each person
    std::vector<bool> locked_;
    std::vector<TraitMasks> masks_;
    std::vector<PersonVector> vector_;
    std::vector<PairMasks> pairMasks_;
    std::vector<int> self_;
    std::vector<int> group_, startGroup_, position_;
    std::vector<int> members_;  // group g's at g * slots_ .. + size_[g]
    std::vector<int> size_;
    std::vector<int> capacity_, lockedCount_;
    std::vector<GroupCounts<Count>> counts_;
    long long total_ = 0;

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
    long long bestTotal_ = 0;
    std::vector<int> bestGroup_;
    std::vector<int> changed_;  // people whose group differs from bestGroup_, or did
    std::vector<bool> isChanged_;

    long long work_ = 0, budget_ = 0, plan_ = 0, nextReport_ = 0;
    bool cancelled_ = false;
    bool spreadMoved_ = false;
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
