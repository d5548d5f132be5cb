// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to Improve: the search over one start table. Its phases live in
// files by concern: GroupImprover.cpp (order of the phases, work budget,
// partner lists, kept groups), ImproveSearch.cpp (descent and annealing),
// ImproveRepair.cpp (broken conditions first), ImproveLift.cpp (the weakest group last).
//
// The search: a descent (each person's best improving swap or move, until
// nobody has one; in a large group a run of its members stands for all),
// then simulated annealing over swaps and moves to escape that optimum, then
// a descent again from the best groups met. The best groups met, in the order
// conditions, weakest group, total, are what it returns, so the result is
// never worse than the start. People in a broken condition are mended
// first, in the groups the conditions point to. To lift the weakest group,
// the annealing looks for a high total, the weakest group is lifted from
// there, and the total is raised again without any group falling below it.
//
// A person's score against a group is a dot product of the person's weights
// with the group's trait counts, so it costs the same whatever the group's
// size. The groups tried for a person are any group when there are few, and
// mostly the groups of the people they score highest with otherwise.
// Everything is counted in work units (one dot product each); the budget and
// a fixed-seed generator make the result the same on every machine.

#include "grouping/GroupImprover.h"
#include "grouping/ImproveScoring.h"
#include "grouping/ImproveState.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace quorvia::grouping {

template <typename Count>
class Improver : ImproveState<Count> {
    using State = ImproveState<Count>;
    using State::canMove, State::membersOf, State::move, State::pair, State::rebuild, State::scoreIn, State::size,
        State::spread, State::swap, State::table;
    using State::capacity_, State::group_, State::groups_, State::locked_, State::lockedCount_, State::masks_,
        State::options_, State::people_, State::self_, State::slots_, State::start_, State::startGroup_,
        State::total_, State::work_, State::spreadMoved_, State::penalty_, State::slot_, State::groupScore_;
    using State::moveDelta, State::swapDelta, State::weakestGroup;

public:
    Improver(const GroupTable &start, const ImproveOptions &options, const ImproveProgress &progress)
        : State(start, options), progress_(progress), random_(0x51A7E5C0FFEEULL)
    {
    }

    ImproveResult run();

private:
    // ------------------------------------------------------------ budget
    long long workBudget() const;
    bool stopped();
    static constexpr long long kReportEvery = 1 << 18;

    // ------------------------------------------------------------ neighbours
    void findNeighbours();
    void candidates(int p, std::vector<int> *out);
    // Every group but `own`, when the groups are few enough to try them all.
    bool allOtherGroups(int own, std::vector<int> *out) const;

    // ------------------------------------------------------------ local search

    // A step: first how much it changes the broken conditions (lower is
    // better), then the score it gains. The empty step changes nothing.
    struct Step {
        long long broken = 0;
        long long gain = 0;
        int group = -1;
        int partner = -1;  // -1: a move into a free slot
        bool betterThan(long long otherBroken, long long otherGain) const
        {
            return broken != otherBroken ? broken < otherBroken : gain > otherGain;
        }
    };

    Step bestStep(int p, bool allGroups = false);
    Step bestStepIn(int p, const std::vector<int> &groups, bool wholeGroups);
    void takeStep(int p, const Step &step);
    void push(int p);
    void queueAll();
    void touched(int p);
    void touchedGroup(int g);
    void localSearch();

    // ------------------------------------------------------------ conditions and the weakest group
    void repair();
    void repairGroups(int p, std::vector<int> *out, bool helpfulOnly);
    Step repairStep(int p);
    bool chain(int p);
    int personOfSlot(int slot) const;
    void lift();
    void liftAndRaise();

    // ------------------------------------------------------------ kept groups
    void keep();
    void backToKept();
    ImproveResult finish();

    // ------------------------------------------------------------ annealing

    // A random step: p swaps with a member of another group, or moves into
    // its free slot. The group is mostly that of one of p's best partners.
    struct Proposal {
        int person = -1, group = -1, partner = -1;
        long long gain = 0;
        long long broken = 0;  // the change in broken conditions
    };

    // With liftWeakest: the lowest group score a step may leave, once the
    // weakest group has been lifted, so that the total rises above it.
    static constexpr long long kNoFloor = std::numeric_limits<long long>::min();
    bool keepsFloor(long long newA, bool aEmpty, long long newB) const
    {
        return (aEmpty || newA >= floor_) && newB >= floor_;
    }
    // The annealing's order: as the search's, or by the total alone while
    // it looks for the highest total to lift the weakest group from.
    typename State::Key annealKey() const
    {
        typename State::Key key = State::key();
        if (byTotal_)
            key.weakest = 0;
        return key;
    }

    bool propose(Proposal *step);
    void take(const Proposal &step);
    void remember(int p);
    void anneal();

    static constexpr int kNeighbours = 16;
    // A row of pair scores costs about as much as this many dot products per person.
    static constexpr std::int64_t kRowWorkDivisor = 16;
    static constexpr int kAllGroups = 32;
    static constexpr int kScanWhole = 32;  // members of a group a descent step looks at
    static constexpr int kBestPartnerUpTo = 8;
    static constexpr long long kRoomyBudget = 50000;
    static constexpr double kWarmStart = 0.5;
    static constexpr double kCoolStart = 0.1;
    static constexpr double kEndFactor = 0.02;
    static constexpr double kCooling = 0.95;

    const ImproveProgress &progress_;
    Random random_;

    int neighbourCount_ = 0;
    std::vector<int> neighbours_, reverseStart_, reverse_;
    std::vector<unsigned> stamp_;
    unsigned stampValue_ = 0;
    std::vector<int> candidateBuffer_, repairBuffer_, chainBuffer_;

    std::vector<int> queue_;
    std::size_t head_ = 0;
    std::vector<bool> queued_;

    std::vector<int> movable_;  // the people not locked
    std::size_t cursor_ = 0;
    typename State::Key bestKey_;
    std::vector<int> bestGroup_;
    std::vector<int> changed_;  // people whose group differs from bestGroup_, or did
    std::vector<bool> isChanged_;

    typename State::Key keptKey_;  // the best of every phase's end
    std::vector<int> kept_;
    bool haveKept_ = false;

    long long floor_ = kNoFloor;
    bool byTotal_ = false;
    long long budget_ = 0, plan_ = 0, nextReport_ = 0;
    bool cancelled_ = false;
};

} // namespace quorvia::grouping
