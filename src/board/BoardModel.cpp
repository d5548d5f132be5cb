// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardModel.h"

#include "arrangement/PoolRules.h"

#include "arrangement/GroupDescriptions.h"
#include "grouping/GroupBuilder.h"
#include "pool/PoolListing.h"

#include <QUndoStack>

namespace quorvia {

BoardModel::BoardModel(GroupArrangement *arrangement, QObject *parent)
    : QObject(parent), arrangement_(arrangement)
{
    connect(arrangement, &GroupArrangement::changed, this, [this] {
        conflictMarks_.clear();
        rulesChecked_ = false;
        emit changed();
    });
    connect(arrangement->rules(), &PoolRules::changed, this, [this] {
        rulesChecked_ = false;
        emit changed();
    });
}

int BoardModel::groupCount() const { return arrangement_->groups().NumGroups; }

int BoardModel::slotCount() const { return arrangement_->groups().GroupSize; }

QString BoardModel::groupTitle(int group) const { return tr("Group %1").arg(group + 1); }

QString BoardModel::groupSummary(int group) const
{
    const GroupFit &fit = arrangement_->report().groups[std::size_t(group)];
    const QString score = signedScore(fit.score);
    return fit.conflicts == 1 ? tr("Score %1, 1 conflict").arg(score)
                              : tr("Score %1, %2 conflicts").arg(score).arg(fit.conflicts);
}

QString BoardModel::groupToolTip(int group) const
{
    QString text = groupTitle(group) + QStringLiteral(": ") + groupSummary(group);
    for (const QString &rule : rulesBrokenIn(group))
        text += tr("\nBreaks the rule: %1").arg(rule);
    if (isGroupPinned(group))
        text += tr("\nPinned: Improve leaves this group as it is.");
    const QStringList conflicts = groupConflictLines(arrangement_->groups(), group);
    if (!conflicts.isEmpty())
        text += QLatin1Char('\n') + conflicts.join(QLatin1Char('\n'));
    return text;
}

QString BoardModel::slotText(Slot at) const
{
    const ProfileRecord &record = arrangement_->groups().at(at.group, at.slot);
    return record.HasData == 0 ? QStringLiteral("NONE") : itemText(record);
}

QString BoardModel::slotToolTip(Slot at) const
{
    QString text = personToolTip(arrangement_->groups(), at.group, at.slot);
    if (isPinned(at))
        text += tr("\nPinned: Improve leaves this person where they are.");
    if (breaksRule(at))
        text += tr("\nBreaks a rule here (see the group).");
    return text;
}

bool BoardModel::inConflict(Slot at) const
{
    const GroupTable &groups = arrangement_->groups();
    if (conflictMarks_.size() != groups.slotRecords.size())
        conflictMarks_.assign(groups.slotRecords.size(), -1);
    signed char &mark = conflictMarks_[std::size_t(at.group) * std::size_t(groups.GroupSize) + std::size_t(at.slot)];
    if (mark < 0)
        mark = hasConflict(groups, at.group, at.slot) ? 1 : 0;
    return mark == 1;
}

bool BoardModel::clash(Slot a, Slot b) const
{
    const GroupTable &groups = arrangement_->groups();
    return isPerson(a) && isPerson(b) && CompatibilityScore(groups.at(a.group, a.slot), groups.at(b.group, b.slot)) < 0;
}

BoardModel::Drop BoardModel::dropFor(Slot from, Slot to) const
{
    if (!isPerson(from) || to.group < 0 || to.group >= groupCount() || from == to)
        return Drop::None;
    if (to.slot >= 0 && isPerson(to))
        return to.group == from.group ? Drop::None : Drop::Swap;
    if (to.group == from.group)
        return Drop::None;
    return arrangement_->peopleIn(to.group) < slotCount() ? Drop::Move : Drop::Refused;
}

QString BoardModel::drop(Slot from, Slot to, Slot *landed)
{
    switch (dropFor(from, to)) {
    case Drop::Swap: {
        const QString refusal = arrangement_->swap(from, to);
        if (refusal.isEmpty() && landed)
            *landed = to;
        return done(refusal);
    }
    case Drop::Move:
    case Drop::Refused: return moveToGroup(from, to.group, landed);
    case Drop::None: break;
    }
    return {};
}

QString BoardModel::moveToGroup(Slot from, int group, Slot *landed)
{
    return done(arrangement_->moveToGroup(from, group, landed));
}

QString BoardModel::swap(Slot a, Slot b)
{
    return done(arrangement_->swap(a, b));
}

QString BoardModel::done(const QString &refusal) const
{
    return refusal.isEmpty() ? tr("Done: %1").arg(arrangement_->undoStack()->undoText()) : refusal;
}

} // namespace quorvia
