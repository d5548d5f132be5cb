// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"

#include <algorithm>
#include <vector>

namespace quorvia {

// Several penalties as one, for a run that must meet the rules and avoid
// earlier partners alike: each part's measure times its weight, added up. A
// part weighted outweighing() comes before a part weighted 1 whose measure
// counts pairs. The parts are not owned; null parts are left out.
class CombinedPenalty final : public ImprovePenalty {
public:
    struct Part {
        ImprovePenalty *penalty = nullptr;
        long long weight = 1;
    };

    explicit CombinedPenalty(std::vector<Part> parts)
    {
        for (const Part &part : parts) {
            if (part.penalty)
                parts_.push_back(part);
        }
    }

    // More than the number of pairs the groups of `table` can hold, so that
    // one step of a part so weighted outweighs any count of pairs.
    static long long outweighing(const GroupTable &table)
    {
        const long long size = table.GroupSize;
        return 1 + (long long)table.NumGroups * size * (size - 1) / 2;
    }

    bool empty() const { return parts_.empty(); }

    void reset(const std::vector<int> &groupOf, int numGroups) override
    {
        for (const Part &part : parts_)
            part.penalty->reset(groupOf, numGroups);
    }
    long long broken() const override
    {
        long long sum = 0;
        for (const Part &part : parts_)
            sum += part.weight * part.penalty->broken();
        return sum;
    }
    long long moveDelta(int p, int g) const override
    {
        long long sum = 0;
        for (const Part &part : parts_)
            sum += part.weight * part.penalty->moveDelta(p, g);
        return sum;
    }
    long long swapDelta(int a, int b) const override
    {
        long long sum = 0;
        for (const Part &part : parts_)
            sum += part.weight * part.penalty->swapDelta(a, b);
        return sum;
    }
    void move(int p, int g) override
    {
        for (const Part &part : parts_)
            part.penalty->move(p, g);
    }
    std::vector<int> culprits() const override
    {
        std::vector<int> all;
        for (const Part &part : parts_) {
            const std::vector<int> some = part.penalty->culprits();
            all.insert(all.end(), some.begin(), some.end());
        }
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }

    void helpfulGroups(int p, std::vector<int> *out) const override
    {
        for (const Part &part : parts_)
            part.penalty->helpfulGroups(p, out);
    }

private:
    std::vector<Part> parts_;
};

} // namespace quorvia
