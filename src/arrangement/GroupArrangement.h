// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/BestPossible.h"
#include "grouping/GroupQuality.h"
#include "grouping/QualityTracker.h"
#include "grouping/GroupTable.h"
#include "grouping/ImprovePenalty.h"
#include "rounds/PairHistory.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <memory>
#include <vector>

class QAction;
class QThread;
class QUndoStack;

namespace quorvia {

class EarlierPartners;
class PoolRules;
struct ImproveOptions;

// The groups the user works on after a Calculate, shared by the main window
// and the board: the table, its quality, the pins that keep people in place
// for Improve, and one undo history for Improve and every hand arrangement.
// Widgets only listen to `changed` and read; every change goes through here.
class GroupArrangement : public QObject {
    Q_OBJECT
public:
    struct Slot {
        int group = -1;
        int slot = -1;
        bool operator==(const Slot &other) const { return group == other.group && slot == other.slot; }
    };

    explicit GroupArrangement(QObject *parent = nullptr);
    ~GroupArrangement() override;

    const GroupTable &groups() const { return groups_; }
    const QualityReport &report() const { return quality_.report(); }
    // How high any grouping of the calculated people into these slots can
    // score: worked out once per Calculate on a worker thread, so null
    // until it is ready (bestPossibleChanged says when). Hand moves, Improve
    // and undo do not change it.
    const BestPossible *bestPossible() const { return bestPossible_ ? &*bestPossible_ : nullptr; }
    QUndoStack *undoStack() const { return undoStack_; }
    // Undo and Redo items that name the step, with Ctrl+Z and Ctrl+Shift+Z,
    // for each window that changes the groups; `say` tells the window's
    // status line what was undone or redone.
    QAction *createUndoAction(QObject *parent, const std::function<void(const QString &)> &say) const;
    QAction *createRedoAction(QObject *parent, const std::function<void(const QString &)> &say) const;
    // Counts every change, so long work can tell whether its start is still current.
    unsigned long long revision() const { return revision_; }
    bool hasGroups() const { return groups_.NumGroups > 0 && groups_.GroupSize > 0; }
    // The pool's rules, which Improve meets and the windows check the groups against.
    PoolRules *rules() const { return rules_; }
    // Whether Improve avoids earlier partners, and of which rounds.
    EarlierPartners *earlierPartners() const { return earlierPartners_; }

    // A new Calculate: replaces everything, clears the history and the pins.
    // Groups opened from a file bring their pins (per slot, per group).
    void reset(GroupTable groups, std::vector<char> personPins = {}, std::vector<char> groupPins = {});

    // Whether the groups or their pins differ from the ones last calculated,
    // opened, saved, printed or exported.
    bool hasUnsavedChanges() const;
    void markSaved();

    bool isPerson(Slot at) const;
    bool isPersonPinned(Slot at) const;
    bool isGroupPinned(int group) const;
    // Improve must leave this slot as it is.
    bool isLocked(Slot at) const { return isPersonPinned(at) || isGroupPinned(at.group); }
    int peopleIn(int group) const;

    // Hand arrangement; each is one undoable step. A refused step changes
    // nothing and returns why, for the user; an accepted one returns "".
    // `placed`, when given, gets the slot the person lands in (untouched when refused).
    QString moveToGroup(Slot person, int toGroup, Slot *placed = nullptr);
    QString swap(Slot a, Slot b);
    void setPersonPinned(Slot person, bool pinned);
    void setGroupPinned(int group, bool pinned);

    // What Improve is to keep: the pinned people and every slot of a pinned group.
    ImproveOptions improveOptions(bool evenSizes) const;
    // Takes an improved table as one step named `stepName`; false when it is
    // the same as the current one (nothing to undo then).
    bool applyImproved(const GroupTable &improved, const QString &stepName);

    // Pairs in the groups that met in earlier rounds, counted afresh after
    // every change by `counter` (none: no counting).
    void setRepeatCounter(std::function<RepeatCount(const GroupTable &)> counter);
    const RepeatCount &repeats() const { return repeats_; }
    bool countsRepeats() const { return bool(repeatCounter_); }
    // A condition for Improve to meet before score (earlier partners kept
    // apart), made for the groups as they are when Improve starts; none: score alone.
    using PenaltyFactory = std::function<std::unique_ptr<ImprovePenalty>(const GroupTable &)>;
    void setPenaltyFactory(PenaltyFactory factory) { penaltyFactory_ = std::move(factory); }
    std::unique_ptr<ImprovePenalty> createPenalty() const;
    // After an Improve that was to keep earlier partners apart: how many
    // pairs are still together, as a sentence to add; "" when none are.
    QString repeatsLeftText() const;

signals:
    // After every change of the groups or the pins, undo and redo included.
    void changed();
    // The best possible total is known (it is not a change of the groups).
    void bestPossibleChanged();

private:
    friend class ArrangementStep;
    std::size_t indexOf(Slot at) const;
    // What a slot holds besides the record, carried along with it.
    struct Tags {
        bool pinned = false;
        int person = -1;  // the quality tracker's number for the person
    };
    // The raw edits the steps are made of; each carries the person's tags
    // along. Taking out closes up the group left; a move fills the target's
    // first free slot, which after Improve may lie between pinned people.
    void takeOut(Slot at, ProfileRecord *person, Tags *tags);
    // Puts the person back where they were taken out, moving the others down.
    void insertAt(Slot at, const ProfileRecord &person, Tags tags);
    // Fills a free slot.
    void placeAt(Slot at, const ProfileRecord &person, Tags tags);
    // Empties one slot and leaves the others where they are: undoes placeAt.
    void clearAt(Slot at, ProfileRecord *person, Tags *tags);
    int firstFreeSlot(int group) const;
    void exchange(Slot a, Slot b);
    void replaceTable(const GroupTable &table);
    // Tells the listeners of a change; the quality is up to date by then.
    void announceChange();
    void startBestPossible();

    GroupTable groups_;
    GroupTable saved_;
    std::vector<char> savedPersonPins_;
    std::vector<char> savedGroupPins_;
    std::function<RepeatCount(const GroupTable &)> repeatCounter_;
    RepeatCount repeats_;
    PenaltyFactory penaltyFactory_;
    // Follows every move and swap in a few milliseconds, even for 32,767 people.
    QualityTracker quality_;
    std::vector<int> slotPeople_;   // per slot: the tracker's number for its person, -1 when free
    std::vector<char> personPins_;  // per slot, follows the person
    std::vector<char> groupPins_;   // per group
    QUndoStack *undoStack_ = nullptr;
    unsigned long long revision_ = 0;
    std::optional<BestPossible> bestPossible_;
    unsigned long long bestPossibleTicket_ = 0;  // which Calculate the running work is for
    std::vector<QThread *> bestPossibleWorkers_;
    PoolRules *rules_ = nullptr;
    EarlierPartners *earlierPartners_ = nullptr;
};

} // namespace quorvia
