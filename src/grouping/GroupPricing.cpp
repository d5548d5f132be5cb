// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupPricing.h"

#include <algorithm>

namespace quorvia::grouping {

GroupPricing::GroupPricing(const std::vector<int> &scores, int n, int least, int size)
    : scores_(scores), n_(n), least_(std::max(1, least)), size_(size), price_(std::size_t(n), 0.0),
      byScore_(std::size_t(n))
{
    for (int p = 0; p < n_; ++p) {
        auto &row = byScore_[std::size_t(p)];
        for (int q = 0; q < n_; ++q)
            if (q != p)
                row.push_back({score(p, q), q});
        std::sort(row.begin(), row.end(), std::greater<>());
    }
    gain_.assign(std::size_t(size_ + 1), std::vector<double>(std::size_t(n_)));
    candidates_.assign(std::size_t(size_ + 1), {});
    hopes_.assign(std::size_t(size_ + 1), {});
    isCandidate_.assign(std::size_t(n_), 0);
}

void GroupPricing::setPrices(const std::vector<double> &price, double countPrice)
{
    price_ = price;
    countPrice_ = countPrice;
}

std::vector<GroupPricing::Group> GroupPricing::improveFrom(const std::vector<std::vector<int>> &starts, double minimum,
                                                           long long &work) const
{
    std::vector<Group> groups;
    std::vector<double> link(static_cast<std::size_t>(n_));  // each person's scores with the group
    std::vector<char> in(static_cast<std::size_t>(n_));
    std::vector<int> people;
    auto join = [&](int p, int sign) {
        for (int q = 0; q < n_; ++q)
            link[std::size_t(q)] += sign * score(q, p);
        in[std::size_t(p)] = sign > 0;
    };
    for (const std::vector<int> &start : starts) {
        std::fill(in.begin(), in.end(), 0);
        std::fill(link.begin(), link.end(), 0.0);
        people.clear();
        double value = -countPrice_;
        auto take = [&](int p) {
            value += link[std::size_t(p)] - price_[std::size_t(p)];
            people.push_back(p);
            join(p, 1);
        };
        for (int p : start)
            take(p);
        // Too few to be a group: whoever adds most joins, gain or not.
        auto addGainOf = [&](int b) { return link[std::size_t(b)] - price_[std::size_t(b)]; };
        while (int(people.size()) < least_) {
            int best = -1;
            for (int b = 0; b < n_; ++b)
                if (!in[std::size_t(b)] && (best < 0 || addGainOf(b) > addGainOf(best)))
                    best = b;
            take(best);
            work += n_;
        }
        for (int step = 0; step < 4 * size_ + 8; ++step) {
            double bestGain = 1e-9;
            int add = -1, drop = -1;
            for (int b = 0; b < n_; ++b) {
                if (in[std::size_t(b)])
                    continue;
                const double addGain = link[std::size_t(b)] - price_[std::size_t(b)];
                if (int(people.size()) < size_ && addGain > bestGain) {
                    bestGain = addGain;
                    add = b;
                    drop = -1;
                }
                for (int a : people) {
                    const double swapGain = addGain - score(a, b) - (link[std::size_t(a)] - price_[std::size_t(a)]);
                    if (swapGain > bestGain) {
                        bestGain = swapGain;
                        add = b;
                        drop = a;
                    }
                }
            }
            for (int a : people) {
                const double dropGain = price_[std::size_t(a)] - link[std::size_t(a)];
                if (int(people.size()) > least_ && people.size() > 1 && dropGain > bestGain) {
                    bestGain = dropGain;
                    add = -1;
                    drop = a;
                }
            }
            work += n_;
            if (add < 0 && drop < 0)
                break;
            if (drop >= 0) {
                join(drop, -1);
                people.erase(std::find(people.begin(), people.end(), drop));
            }
            if (add >= 0) {
                join(add, 1);
                people.push_back(add);
            }
            value += bestGain;
        }
        if (value > minimum) {
            std::sort(people.begin(), people.end());
            groups.push_back({value, people});
        }
    }
    return groups;
}

GroupPricing::Found GroupPricing::exact(long long cap, double minimum) const
{
    Found found;
    candidates_[0].clear();
    for (int p = 0; p < n_; ++p) {
        gain_[0][std::size_t(p)] = -price_[std::size_t(p)];
        candidates_[0].push_back(p);
    }
    members_.clear();
    explore(0, -countPrice_, cap, minimum, found);
    return found;
}

// At each step the candidates are tried in the order of their hope (what
// they could add at most: their gain with the members plus half their best
// scores with the other candidates), and a later candidate only joins groups
// without the earlier ones. So every group is met once, and a step stops as
// soon as the best hopes from there on cannot beat the best found. Until a
// group has `least` people, the places still to fill must be filled, so
// their hopes and the scores behind them count whatever their sign.
void GroupPricing::explore(int depth, double value, long long cap, double minimum, Found &found) const
{
    if (depth >= least_ && value > found.best) {
        found.best = value;
        if (value > minimum) {
            std::vector<int> people = members_;
            std::sort(people.begin(), people.end());
            found.groups.push_back({value, people});
        }
    }
    const int left = size_ - depth;
    const int need = std::max(0, least_ - depth);  // places that must be filled
    const std::vector<int> &candidates = candidates_[std::size_t(depth)];
    if (left == 0 || int(candidates.size()) < need)
        return;
    const std::vector<double> &gain = gain_[std::size_t(depth)];
    std::vector<std::pair<double, int>> &hopes = hopes_[std::size_t(depth)];
    hopes.clear();
    for (int c : candidates)
        isCandidate_[std::size_t(c)] = 1;
    long long steps = 0;
    for (int c : candidates) {
        long long half = 0;
        int taken = 0;
        const auto &partners = byScore_[std::size_t(c)];
        for (auto it = partners.begin(); taken < left - 1 && it != partners.end(); ++it) {
            ++steps;
            if (!isCandidate_[std::size_t(it->second)])
                continue;
            if (taken >= need - 1 && it->first <= 0)
                break;
            half += it->first;
            ++taken;
        }
        // Whoever cannot raise the value of any group they join here is
        // left out: the same group without them is searched too (once the
        // group is large enough to lose one).
        if (depth > 0 && need == 0 && gain[std::size_t(c)] + half <= 0)
            continue;
        hopes.push_back({gain[std::size_t(c)] + half / 2.0, c});
    }
    for (int c : candidates)
        isCandidate_[std::size_t(c)] = 0;
    std::sort(hopes.begin(), hopes.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    found.work += (long long)candidates.size() + steps;
    std::vector<double> &next = gain_[std::size_t(depth + 1)];
    std::vector<int> &nextCandidates = candidates_[std::size_t(depth + 1)];
    for (std::size_t i = 0; i + std::size_t(need) <= hopes.size(); ++i) {
        // The most a group whose first new member is hopes[i] could add.
        double most = value;
        for (std::size_t t = i; t < std::min(hopes.size(), i + std::size_t(left)); ++t)
            most += t < i + std::size_t(need) ? hopes[t].first : std::max(0.0, hopes[t].first);
        if (most <= found.best)
            break;
        if (found.work > cap) {
            found.unexplored = std::max(found.unexplored, most);
            break;
        }
        const int c = hopes[i].second;
        nextCandidates.clear();
        for (std::size_t t = i + 1; t < hopes.size(); ++t) {
            const int q = hopes[t].second;
            nextCandidates.push_back(q);
            next[std::size_t(q)] = gain[std::size_t(q)] + score(q, c);
        }
        members_.push_back(c);
        explore(depth + 1, value + gain[std::size_t(c)], cap, minimum, found);
        members_.pop_back();
    }
}

} // namespace quorvia::grouping
