// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "arrangement/GroupArrangement.h"

#include <QObject>
#include <QString>

#include <vector>

namespace quorvia {

// What the board shows and does, without painting: the cards' texts and
// marks, the tooltips, and what dropping one slot onto another means. Reads
// everything from the arrangement; conflict marks are worked out only for
// the slots that are asked for (the visible ones) and kept until the next change.
class BoardModel : public QObject {
    Q_OBJECT
public:
    using Slot = GroupArrangement::Slot;
    enum class Drop { None, Move, Swap, Refused };

    explicit BoardModel(GroupArrangement *arrangement, QObject *parent = nullptr);

    GroupArrangement *arrangement() const { return arrangement_; }
    int groupCount() const;
    int slotCount() const;

    QString groupTitle(int group) const;    // "Group 3"
    QString groupSummary(int group) const;  // "Score +5, 1 conflict"
    QString groupToolTip(int group) const;
    // The person's text as in the selection list, or "NONE" for a free slot.
    QString slotText(Slot at) const;
    QString slotToolTip(Slot at) const;
    bool isPerson(Slot at) const { return arrangement_->isPerson(at); }
    bool isPinned(Slot at) const { return arrangement_->isPersonPinned(at); }
    bool isGroupPinned(int group) const { return arrangement_->isGroupPinned(group); }
    bool inConflict(Slot at) const;
    // Whether the person breaks one of the pool's rules where they are, and
    // the rules the group breaks, in words (BoardModelRules.cpp).
    bool breaksRule(Slot at) const;
    QStringList rulesBrokenIn(int group) const;
    // Whether the two people score below 0 together.
    bool clash(Slot a, Slot b) const;

    // Dropping the person at `from` onto `to`: a person there means a swap,
    // a free slot or the card's title (slot -1) a move into that group.
    Drop dropFor(Slot from, Slot to) const;
    // Carries the drop out as one step; returns what happened or why not.
    // `landed`, when given, gets where the dragged person ends up if it is done.
    QString drop(Slot from, Slot to, Slot *landed = nullptr);
    QString moveToGroup(Slot from, int group, Slot *landed = nullptr);
    QString swap(Slot a, Slot b);

signals:
    void changed();

private:
    QString done(const QString &refusal) const;

    GroupArrangement *arrangement_;
    mutable std::vector<signed char> conflictMarks_;  // per slot: -1 not known yet, 0, 1
    // The rules' verdict on the groups, worked out when first asked for after a change.
    void checkRulesOnce() const;
    mutable bool rulesChecked_ = false;
    mutable std::vector<char> ruleBreakers_;  // per slot
    mutable std::vector<QStringList> brokenByGroup_;
};

} // namespace quorvia
