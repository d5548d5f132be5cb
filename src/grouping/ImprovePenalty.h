// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace quorvia {

// Conditions that Improve meets before it raises the score: the group rules,
// partners who met in earlier rounds. The search orders groupings first by
// broken() (lower is better), then by score, so no amount of score buys a
// broken condition.
//
// People are numbered by the slot they hold in the table handed to
// improveGroups (group * GroupSize + slot); free slots have no number. The
// search owns the instance for one run, on one thread, and tells it every
// move it makes, so that the measure is kept incrementally.
class ImprovePenalty {
public:
    virtual ~ImprovePenalty() = default;

    // Starts from a placement: groupOf[p] is the group of person p, -1 for a
    // number that is a free slot. Called once before any other call.
    virtual void reset(const std::vector<int> &groupOf, int numGroups) = 0;

    // How far the conditions are from met: 0 when every one is met. Graded,
    // so that a search can approach 0 step by step.
    virtual long long broken() const = 0;

    // The change in broken() if person p moved to group g (p is not in g).
    virtual long long moveDelta(int p, int g) const = 0;

    // The change in broken() if persons a and b, in different groups,
    // exchanged groups.
    virtual long long swapDelta(int a, int b) const = 0;

    // Person p now belongs to group g.
    virtual void move(int p, int g) = 0;

    // People who take part in a broken condition: moving one of them may
    // lower broken(). Empty when broken() is 0.
    virtual std::vector<int> culprits() const = 0;

    // Appends a few groups where person p (a culprit) could mend a broken
    // condition, moved or swapped in: where a search looks first, since the
    // groups of p's best partners may never be the ones that need p. May
    // append nothing.
    virtual void helpfulGroups(int p, std::vector<int> *out) const
    {
        (void)p;
        (void)out;
    }
};

} // namespace quorvia
