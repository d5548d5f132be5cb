#pragma once

#include "grouping/ImprovePenalty.h"

#include <algorithm>
#include <vector>

namespace quorvia {

// Several penalties as one, for a run that must meet the rules and avoid
// earlier partners alike: the measures add up. The parts are not owned.
class CombinedPenalty final : public ImprovePenalty {
public:
    explicit CombinedPenalty(std::vector<ImprovePenalty *> parts) : parts_(std::move(parts))
    {
        parts_.erase(std::remove(parts_.begin(), parts_.end(), nullptr), parts_.end());
    }

    bool empty() const { return parts_.empty(); }

    void reset(const std::vector<int> &groupOf, int numGroups) override
    {
        for (ImprovePenalty *part : parts_)
            part->reset(groupOf, numGroups);
    }
    long long broken() const override
    {
        long long sum = 0;
        for (const ImprovePenalty *part : parts_)
            sum += part->broken();
        return sum;
    }
    long long moveDelta(int p, int g) const override
    {
        long long sum = 0;
        for (const ImprovePenalty *part : parts_)
            sum += part->moveDelta(p, g);
        return sum;
    }
    long long swapDelta(int a, int b) const override
    {
        long long sum = 0;
        for (const ImprovePenalty *part : parts_)
            sum += part->swapDelta(a, b);
        return sum;
    }
    void move(int p, int g) override
    {
        for (ImprovePenalty *part : parts_)
            part->move(p, g);
    }
    std::vector<int> culprits() const override
    {
        std::vector<int> all;
        for (const ImprovePenalty *part : parts_) {
            const std::vector<int> some = part->culprits();
            all.insert(all.end(), some.begin(), some.end());
        }
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }

private:
    std::vector<ImprovePenalty *> parts_;
};

} // namespace quorvia
