// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupBuilder.h"

#include "grouping/TraitMasks.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The dealing gives exactly the groups of the plain loops it replaces (every
// non-full group rescored slot by slot for every person) in a fraction of
// their time: a group keeps the counts of its records' traits so that its
// score costs the same whatever its size, full groups drop out of the search,
// and of the groups that score 0 for anybody only the lowest-numbered one is
// looked at, since a tie goes to it.

namespace quorvia {
namespace {

using grouping::searchKey;
using grouping::TraitMasks;

// What a group holds, as far as anybody's score there goes: for every trait t
// how many of its slot records have it as their own (lane t) and how many
// more work well than badly with it (lane 22 + t). A person's score there is
// the dot product with their weights: compatible minus incompatible (lane t)
// and own (lane 22 + t). Lanes 44 to 47 pad the vector to whole SSE registers.
constexpr int kLanes = 48;

template <typename Count>
struct TraitVector {
    Count lane[kLanes];
};

template <typename Count>
void contribution(const TraitMasks &m, TraitVector<Count> &v)
{
    for (int t = 0; t < kLanes; ++t)
        v.lane[t] = 0;
    for (int t = 0; t < kTraitCount; ++t) {
        const auto bit = std::uint32_t(1) << t;
        v.lane[t] = Count((m.own & bit) ? 1 : 0);
        v.lane[kTraitCount + t] = Count(((m.compatible & bit) ? 1 : 0) - ((m.incompatible & bit) ? 1 : 0));
    }
}

template <typename Count>
void weights(const TraitMasks &m, TraitVector<Count> &v)
{
    for (int t = 0; t < kLanes; ++t)
        v.lane[t] = 0;
    for (int t = 0; t < kTraitCount; ++t) {
        const auto bit = std::uint32_t(1) << t;
        v.lane[t] = Count(((m.compatible & bit) ? 1 : 0) - ((m.incompatible & bit) ? 1 : 0));
        v.lane[kTraitCount + t] = Count((m.own & bit) ? 1 : 0);
    }
}

// Counts stay within +-32,767 as long as a group has at most that many slots.
inline int dot(const TraitVector<std::int16_t> &a, const TraitVector<std::int16_t> &b)
{
#if defined(__SSE2__)
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < kLanes; k += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a.lane + k));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b.lane + k));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(x, y));
    }
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
#else
    int sum = 0;
    for (int k = 0; k < kLanes; ++k)
        sum += int(a.lane[k]) * int(b.lane[k]);
    return sum;
#endif
}

inline int dot(const TraitVector<std::int32_t> &a, const TraitVector<std::int32_t> &b)
{
    int sum = 0;
    for (int k = 0; k < kLanes; ++k)
        sum += a.lane[k] * b.lane[k];
    return sum;
}

template <typename Count>
class Dealer {
public:
    Dealer(const std::vector<ProfileRecord> &people, GroupSizing sizing) : people_(people)
    {
        sizing.NumGroups = std::max(0, sizing.NumGroups);
        sizing.GroupSize = std::max(0, sizing.GroupSize);
        table_.NumGroups = sizing.NumGroups;
        table_.GroupSize = sizing.GroupSize;
        table_.slotRecords.assign(std::size_t(sizing.NumGroups) * std::size_t(sizing.GroupSize), ProfileRecord{});
        const std::size_t groups = std::size_t(sizing.NumGroups);
        filled_.assign(groups, 0);
        ghost_.assign(groups, -1);
        flags_.assign(groups, 0);
        activePosition_.assign(groups, -1);
        // A group with no slots at all can never take anybody.
        if (sizing.GroupSize > 0) {
            for (int g = 0; g < sizing.NumGroups; ++g)
                scoringZero_.insert(scoringZero_.end(), g);
        }
        masks_.reserve(people.size());
        for (const ProfileRecord &r : people)
            masks_.emplace_back(r);
    }

    GroupTable deal(const std::vector<int> &chain)
    {
        if (chain.empty() || table_.NumGroups <= 0 || table_.GroupSize <= 0)
            return std::move(table_);
        place(chain.front(), 0);
        TraitVector<Count> w;
        for (std::size_t i = 1; i < chain.size(); ++i) {
            const int person = chain[i];
            weights(masks_[std::size_t(person)], w);
            const int group = bestGroup(w);
            if (group < 0)
                break;  // no free slot left: only a sizing too small for everybody gets here
            place(person, group);
        }
        return std::move(table_);
    }

private:
    int bestGroup(const TraitVector<Count> &w) const
    {
        std::int64_t bestKey = std::numeric_limits<std::int64_t>::min();
        int best = -1;
        const std::size_t active = activeGroups_.size();
        for (std::size_t p = 0; p < active; ++p) {
            const std::int64_t key = searchKey(dot(w, activeCounts_[p]), activeGroups_[p]);
            if (key > bestKey) {
                bestKey = key;
                best = activeGroups_[p];
            }
        }
        if (!scoringZero_.empty()) {
            const int group = *scoringZero_.begin();
            if (searchKey(0, group) > bestKey)
                best = group;
        }
        return best;
    }

    void activate(int group)
    {
        scoringZero_.erase(group);
        activePosition_[std::size_t(group)] = int(activeGroups_.size());
        activeGroups_.push_back(group);
        activeCounts_.push_back(TraitVector<Count>{});
    }

    void deactivate(int group)
    {
        const int p = activePosition_[std::size_t(group)];
        const int moved = activeGroups_.back();
        activeGroups_[std::size_t(p)] = moved;
        activeCounts_[std::size_t(p)] = activeCounts_.back();
        activePosition_[std::size_t(moved)] = p;
        activeGroups_.pop_back();
        activeCounts_.pop_back();
        activePosition_[std::size_t(group)] = -1;
    }

    void addTo(int group, int person, int sign)
    {
        const TraitMasks &m = masks_[std::size_t(person)];
        if (m.flagCount() == 0)
            return;
        if (activePosition_[std::size_t(group)] < 0)
            activate(group);
        TraitVector<Count> c;
        contribution(m, c);
        TraitVector<Count> &counts = activeCounts_[std::size_t(activePosition_[std::size_t(group)])];
        for (int k = 0; k < kLanes; ++k)
            counts.lane[k] = Count(counts.lane[k] + sign * c.lane[k]);
        flags_[std::size_t(group)] += sign * m.flagCount();
    }

    // Into the lowest free slot of the group. A record whose HasData is 0
    // leaves that slot free: it is replaced by whoever comes next.
    void place(int person, int group)
    {
        const auto g = std::size_t(group);
        const int slot = filled_[g];
        if (ghost_[g] >= 0)
            addTo(group, ghost_[g], -1);
        const ProfileRecord &record = people_[std::size_t(person)];
        table_.at(group, slot) = record;
        addTo(group, person, +1);
        if (record.HasData != 0) {
            ++filled_[g];
            ghost_[g] = -1;
        } else {
            ghost_[g] = person;
        }

        const bool active = activePosition_[g] >= 0;
        if (filled_[g] == table_.GroupSize) {
            if (active)
                deactivate(group);
            else
                scoringZero_.erase(group);
        } else if (flags_[g] == 0 && active) {
            deactivate(group);
            scoringZero_.insert(group);
        }
    }

    const std::vector<ProfileRecord> &people_;
    std::vector<TraitMasks> masks_;
    GroupTable table_;
    std::vector<int> filled_;        // occupied slots of each group: 0 .. filled - 1
    std::vector<int> ghost_;         // the HasData-0 record in slot `filled`, or -1
    std::vector<std::int64_t> flags_;  // set trait flags of the group's slot records
    // Groups with a free slot whose records have flags, with their counts.
    std::vector<int> activeGroups_;
    std::vector<TraitVector<Count>> activeCounts_;
    std::vector<int> activePosition_;
    // Groups with a free slot that score 0 for anybody.
    std::set<int> scoringZero_;
};

} // namespace

int CompatibilityScore(const ProfileRecord &a, const ProfileRecord &b)
{
    return grouping::pairScore(TraitMasks(a), TraitMasks(b));
}

int sizeBoxValue(const QString &text)
{
    int value = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        if (c < u'0' || c > u'9')
            break;
        value = int(std::min<qint64>(kMaxBoxValue, qint64(value) * 10 + (c - u'0')));
    }
    return value;
}

int defaultedSizeValue(SizeOption option, int value, int selectedCount)
{
    if (value != 0)
        return value;
    return option == SizeOption::AmountOfGroups ? 1 : selectedCount;
}

GroupSizing sizeGroups(SizeOption option, int value, int n)
{
    const int v = std::max(1, value);
    const int other = std::max(0, (n + v - 1) / v);
    if (option == SizeOption::AmountOfGroups)
        return {v, other};
    return {other, v};
}

GroupTable dealIntoGroups(const std::vector<ProfileRecord> &people, const std::vector<int> &chain, GroupSizing sizing)
{
    if (sizing.GroupSize <= std::numeric_limits<std::int16_t>::max())
        return Dealer<std::int16_t>(people, sizing).deal(chain);
    return Dealer<std::int32_t>(people, sizing).deal(chain);
}

GroupTable buildGroups(const std::vector<ProfileRecord> &selected, SizeOption option, int value)
{
    const GroupSizing sizing = sizeGroups(option, value, int(selected.size()));
    return dealIntoGroups(selected, compatibilityChain(selected), sizing);
}

namespace detail {

GroupTable dealIntoGroupsWide(const std::vector<ProfileRecord> &people, const std::vector<int> &chain,
                              GroupSizing sizing)
{
    return Dealer<std::int32_t>(people, sizing).deal(chain);
}

} // namespace detail

} // namespace quorvia
