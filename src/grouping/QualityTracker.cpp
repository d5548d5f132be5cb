// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/QualityTracker.h"

#include <algorithm>
#include <tuple>

namespace quorvia {
namespace {

using grouping::PairScan;
using grouping::TraitMasks;

std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> key(const TraitMasks &m)
{
    return {m.own, m.compatible, m.incompatible};
}

} // namespace

int QualityTracker::pairScore(int a, int b) const
{
    return grouping::pairScore(masks_[std::size_t(a)], masks_[std::size_t(b)]);
}

void QualityTracker::reset(const GroupTable &groups, std::vector<int> *slotPeople)
{
    masks_.clear();
    groupOf_.clear();
    positionOf_.clear();
    members_.assign(std::size_t(std::max(groups.NumGroups, 0)), {});
    if (slotPeople)
        slotPeople->assign(groups.slotRecords.size(), -1);
    for (int g = 0; g < groups.NumGroups; ++g) {
        for (int s = 0; s < groups.GroupSize; ++s) {
            const ProfileRecord &r = groups.at(g, s);
            if (r.HasData == 0)
                continue;
            const int person = int(masks_.size());
            if (slotPeople)
                (*slotPeople)[std::size_t(g) * std::size_t(groups.GroupSize) + std::size_t(s)] = person;
            masks_.emplace_back(r);
            groupOf_.push_back(-1);
            positionOf_.push_back(-1);
            place(person, g);
        }
    }

    report_ = QualityReport();
    std::vector<TraitMasks> group;
    for (const std::vector<int> &people : members_) {
        group.clear();
        for (int person : people)
            group.push_back(masks_[std::size_t(person)]);
        const GroupFit fit = grouping::fitOfMembers(group);
        report_.groups.push_back(fit);
        report_.total.people += fit.people;
        report_.total.score += fit.score;
        report_.total.conflicts += fit.conflicts;
    }

    // Everybody's row once, shared out among a few threads for large pools;
    // each keeps the counts around the entry its group size asks for.
    const int n = int(masks_.size());
    scan_ = std::make_unique<PairScan>(masks_);
    windows_.assign(std::size_t(n), PairScan::RankWindow());
    terms_.assign(std::size_t(n), 0);
    grouping::forRowsInParts(n, [&](int part, int parts) {
        PairScan::Row row;
        for (int p = part; p < n; p += parts) {
            const int take = int(members_[std::size_t(groupOf_[std::size_t(p)])].size()) - 1;
            if (take <= 0)
                continue;
            windows_[std::size_t(p)] = scan_->window(p, take, row);
            PairScan::topSumIn(windows_[std::size_t(p)], take, &terms_[std::size_t(p)]);
        }
    });
    twiceBound_ = 0;
    for (std::int64_t term : terms_)
        twiceBound_ += term;
    finish();
}

bool QualityTracker::rearrange(const GroupTable &groups, std::vector<int> *slotPeople)
{
    if (groups.NumGroups != int(members_.size()))
        return false;
    // People with the same traits score alike, so any of them may take a slot
    // of that kind: pair the filled slots and the people in the order of their traits.
    std::vector<std::pair<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::size_t>> filled;
    for (std::size_t i = 0; i < groups.slotRecords.size(); ++i) {
        if (groups.slotRecords[i].HasData != 0)
            filled.emplace_back(key(TraitMasks(groups.slotRecords[i])), i);
    }
    if (filled.size() != masks_.size())
        return false;
    std::vector<int> people(masks_.size());
    for (std::size_t p = 0; p < people.size(); ++p)
        people[p] = int(p);
    std::sort(filled.begin(), filled.end());
    std::sort(people.begin(), people.end(), [&](int a, int b) {
        return std::make_pair(key(masks_[std::size_t(a)]), a) < std::make_pair(key(masks_[std::size_t(b)]), b);
    });
    for (std::size_t i = 0; i < filled.size(); ++i) {
        if (filled[i].first != key(masks_[std::size_t(people[i])]))
            return false;
    }

    slotPeople->assign(groups.slotRecords.size(), -1);
    for (std::size_t i = 0; i < filled.size(); ++i)
        (*slotPeople)[filled[i].second] = people[i];
    for (std::vector<int> &group : members_)
        group.clear();
    std::vector<TraitMasks> group;
    report_.total = GroupFit();
    for (int g = 0; g < groups.NumGroups; ++g) {
        group.clear();
        for (int s = 0; s < groups.GroupSize; ++s) {
            const int person = (*slotPeople)[std::size_t(g) * std::size_t(groups.GroupSize) + std::size_t(s)];
            if (person < 0)
                continue;
            place(person, g);
            group.push_back(masks_[std::size_t(person)]);
        }
        const GroupFit fit = grouping::fitOfMembers(group);
        report_.groups[std::size_t(g)] = fit;
        report_.total.people += fit.people;
        report_.total.score += fit.score;
        report_.total.conflicts += fit.conflicts;
    }
    for (int p = 0; p < int(masks_.size()); ++p)
        updateTerm(p);
    finish();
    return true;
}

void QualityTracker::move(int person, int toGroup)
{
    const int from = groupOf_[std::size_t(person)];
    if (from == toGroup)
        return;
    GroupFit &left = report_.groups[std::size_t(from)];
    GroupFit &joined = report_.groups[std::size_t(toGroup)];
    remove(person);
    for (int other : members_[std::size_t(from)]) {
        const int score = pairScore(person, other);
        left.score -= score;
        report_.total.score -= score;
        left.conflicts -= score < 0 ? 1 : 0;
        report_.total.conflicts -= score < 0 ? 1 : 0;
    }
    for (int other : members_[std::size_t(toGroup)]) {
        const int score = pairScore(person, other);
        joined.score += score;
        report_.total.score += score;
        joined.conflicts += score < 0 ? 1 : 0;
        report_.total.conflicts += score < 0 ? 1 : 0;
    }
    place(person, toGroup);
    --left.people;
    ++joined.people;
    // Both group sizes changed: so did every member's share of the bound.
    for (int group : {from, toGroup})
        for (int member : members_[std::size_t(group)])
            updateTerm(member);
    finish();
}

void QualityTracker::swap(int a, int b)
{
    const int groupA = groupOf_[std::size_t(a)], groupB = groupOf_[std::size_t(b)];
    if (groupA == groupB)
        return;
    // Each group loses one person and gains the other.
    for (const auto &[group, leaving, coming] : {std::tuple(groupA, a, b), std::tuple(groupB, b, a)}) {
        GroupFit &fit = report_.groups[std::size_t(group)];
        for (int other : members_[std::size_t(group)]) {
            if (other == leaving)
                continue;
            const int before = pairScore(leaving, other), after = pairScore(coming, other);
            const int conflicts = (after < 0 ? 1 : 0) - (before < 0 ? 1 : 0);
            fit.score += after - before;
            report_.total.score += after - before;
            fit.conflicts += conflicts;
            report_.total.conflicts += conflicts;
        }
    }
    std::swap(members_[std::size_t(groupA)][std::size_t(positionOf_[std::size_t(a)])],
              members_[std::size_t(groupB)][std::size_t(positionOf_[std::size_t(b)])]);
    std::swap(positionOf_[std::size_t(a)], positionOf_[std::size_t(b)]);
    std::swap(groupOf_[std::size_t(a)], groupOf_[std::size_t(b)]);
    updateTerm(a);
    updateTerm(b);
    finish();
}

void QualityTracker::place(int person, int group)
{
    std::vector<int> &members = members_[std::size_t(group)];
    groupOf_[std::size_t(person)] = group;
    positionOf_[std::size_t(person)] = int(members.size());
    members.push_back(person);
}

void QualityTracker::remove(int person)
{
    std::vector<int> &members = members_[std::size_t(groupOf_[std::size_t(person)])];
    const int last = members.back();
    members[std::size_t(positionOf_[std::size_t(person)])] = last;
    positionOf_[std::size_t(last)] = positionOf_[std::size_t(person)];
    members.pop_back();
    groupOf_[std::size_t(person)] = -1;
    positionOf_[std::size_t(person)] = -1;
}

void QualityTracker::updateTerm(int person)
{
    const auto p = std::size_t(person);
    const int take = int(members_[std::size_t(groupOf_[p])].size()) - 1;
    std::int64_t term = 0;
    if (!PairScan::topSumIn(windows_[p], take, &term)) {
        windows_[p] = scan_->window(person, take, row_);
        PairScan::topSumIn(windows_[p], take, &term);
    }
    twiceBound_ += term - terms_[p];
    terms_[p] = term;
}

void QualityTracker::finish()
{
    report_.bound = twiceBound_ / 2;
    report_.percentOfBound = percentOf(report_.total.score, report_.bound);
}

} // namespace quorvia
