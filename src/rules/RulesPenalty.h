// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"
#include "rules/GroupRules.h"

#include <unordered_map>
#include <vector>

namespace quorvia {

// The rules in force as conditions for Improve. broken() counts how far each
// rule is from met (pairs kept apart that share a group, people away from
// their together-group's main part, people beyond a spread's range, groups
// with one holder alone), so single moves and swaps can bring it to 0.
//
// A rule met at the start placement weighs more than every rule broken then
// could ever cost together: a search that never raises broken() above its
// start can therefore never break a rule that was met, whatever it gains.
// Among the broken ones, a pair kept apart or together outweighs what one
// swap can change of the trait rules, so it is mended first.
class RulesPenalty final : public ImprovePenalty {
public:
    // People are the slots of `start`; `slotRecords` their record numbers
    // (recordNumbersOf). Disabled rules and rules whose records now hold
    // someone else are left out.
    RulesPenalty(const RuleSet &rules, const GroupTable &start, const std::vector<ProfileRecord> &records,
                 const std::vector<int> &slotRecords);

    // No condition at all: Improve is better off without this penalty.
    bool isEmpty() const { return conditions_.empty(); }

    void reset(const std::vector<int> &groupOf, int numGroups) override;
    long long broken() const override { return total_; }
    long long moveDelta(int p, int g) const override;
    long long swapDelta(int a, int b) const override;
    void move(int p, int g) override;
    std::vector<int> culprits() const override;
    void helpfulGroups(int p, std::vector<int> *out) const override;

private:
    enum class Shape { Apart, Range, NotAlone, Together };
    struct Condition {
        Shape shape = Shape::Apart;
        int rule = -1;
        int lo = 0, hi = 0;  // Range
        long long weight = 1;
        std::vector<int> members;  // people (slots)
        // Members per group: dense when that is small enough, else by group.
        std::vector<int> dense;
        std::unordered_map<int, int> sparse;
        long long cost = 0;  // unweighted
        // With dense counts: the groups beyond the range (a spread) or with
        // one holder alone, kept as the counts change, so that culprits()
        // need not look at every member; and how many groups are short.
        std::vector<int> bad;
        std::vector<int> badAt;  // per group: index into bad, -1
        std::vector<int> lacking;  // a spread's groups below the range
        std::vector<int> lackingAt;
        int shortGroups = 0;
    };
    struct Change {
        int person;
        int from;
        int to;
    };

    int countIn(const Condition &c, int group) const;
    void addTo(Condition &c, int group, int delta);
    long long termOf(const Condition &c, int count) const;
    long long costOf(const Condition &c) const;
    long long maxCostOf(const Condition &c) const;
    long long deltaOf(const Condition &c, const Change *changes, int count) const;
    bool isBad(const Condition &c, int count) const;
    void noteCount(Condition &c, int group, int before, int after);
    static void noteIn(std::vector<int> &list, std::vector<int> &at, int group, bool was, bool is);
    void sampleInto(const std::vector<int> &list, int most, std::vector<int> *out) const;

    std::vector<Condition> conditions_;
    std::vector<std::vector<int>> conditionsOf_;  // per person
    std::vector<int> groupOf_;
    std::vector<std::vector<int>> peopleIn_;  // per group
    int numGroups_ = 0;
    long long total_ = 0;
    mutable unsigned rotation_ = 0;  // where the next sample starts
};

} // namespace quorvia
