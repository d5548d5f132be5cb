// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesPenalty.h"

// Where a person in a broken rule can mend it: the groups a search tries first.

namespace quorvia {

void RulesPenalty::sampleInto(const std::vector<int> &list, int most, std::vector<int> *out) const
{
    const std::size_t size = list.size();
    if (size == 0)
        return;
    const std::size_t from = (rotation_ += 2654435761U) % size;
    for (std::size_t k = 0; k < size && k < std::size_t(most); ++k)
        out->push_back(list[(from + k) % size]);
}

// Where p can help: a holder to spare goes where one is missing, or
// anywhere below the range; a lone holder joins another; a person kept
// together joins the others.
void RulesPenalty::helpfulGroups(int p, std::vector<int> *out) const
{
    constexpr int kMost = 12;
    const int own = groupOf_[std::size_t(p)];
    if (own < 0)
        return;
    std::vector<int> others;
    for (const int index : conditionsOf_[std::size_t(p)]) {
        const Condition &c = conditions_[std::size_t(index)];
        if (c.cost == 0 || c.shape == Shape::Apart)
            continue;
        const int n = countIn(c, own);
        if (c.shape == Shape::Range && !c.dense.empty()) {
            if (n > c.lo)
                sampleInto(c.lacking, kMost, out);
            if (n > c.hi) {
                // Groups with room are many: a few tries find some.
                for (int tries = 0, found = 0; tries < 4 * kMost && found < kMost; ++tries) {
                    const int g = int((rotation_ += 2654435761U) % unsigned(numGroups_));
                    if (countIn(c, g) < c.hi) {
                        out->push_back(g);
                        ++found;
                    }
                }
            }
        } else if (c.shape == Shape::NotAlone && !c.dense.empty()) {
            sampleInto(c.bad, kMost, out);
        } else if (c.shape == Shape::Together || c.shape == Shape::NotAlone) {
            others.clear();
            for (const int q : c.members) {
                if (q != p && groupOf_[std::size_t(q)] >= 0)
                    others.push_back(groupOf_[std::size_t(q)]);
            }
            sampleInto(others, kMost, out);
        }
    }
}

} // namespace quorvia
