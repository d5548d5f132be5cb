// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"

#include "arrangement/EarlierPartners.h"
#include "arrangement/PoolRules.h"

#include "arrangement/GroupDescriptions.h"
#include "grouping/GroupImprover.h"
#include "grouping/ImprovePenalty.h"

#include <QAction>
#include <QThread>
#include <QUndoStack>

#include <algorithm>
#include <memory>

namespace quorvia {

// One undoable step of the arrangement. The steps only ever replay raw edits
// in order, so slot positions recorded at the first redo stay valid.
class ArrangementStep : public QUndoCommand {
public:
    enum class Kind { Move, Swap, PinPerson, PinGroup, Table };

    ArrangementStep(GroupArrangement *owner, Kind kind, const QString &name)
        : QUndoCommand(name), owner_(owner), kind_(kind) {}

    GroupArrangement::Slot a, b;  // Move: from, to; Swap: the two
    int group = -1;               // PinGroup
    bool pinned = false;          // PinPerson, PinGroup: the state redo sets
    GroupTable before, after;     // Table

    void redo() override { apply(true); }
    void undo() override { apply(false); }

private:
    void apply(bool forward)
    {
        GroupArrangement &o = *owner_;
        switch (kind_) {
        case Kind::Move: {
            ProfileRecord person;
            GroupArrangement::Tags tags;
            if (forward) {
                o.takeOut(a, &person, &tags);
                o.placeAt(b, person, tags);
            } else {
                // Only slot b was filled: empty just that one, since the group
                // may have gaps before later people (Improve keeps pins in place).
                o.clearAt(b, &person, &tags);
                o.insertAt(a, person, tags);
            }
            o.quality_.move(tags.person, forward ? b.group : a.group);
            break;
        }
        case Kind::Swap:
            o.exchange(a, b);
            o.quality_.swap(o.slotPeople_[o.indexOf(a)], o.slotPeople_[o.indexOf(b)]);
            break;
        case Kind::PinPerson:
            o.personPins_[o.indexOf(a)] = forward == pinned;
            break;
        case Kind::PinGroup:
            o.groupPins_[std::size_t(group)] = forward == pinned;
            break;
        case Kind::Table:
            o.replaceTable(forward ? after : before);
            break;
        }
        o.announceChange();
    }

    GroupArrangement *owner_;
    Kind kind_;
};

GroupArrangement::GroupArrangement(QObject *parent)
    : QObject(parent), undoStack_(new QUndoStack(this)), rules_(new PoolRules(this)),
      earlierPartners_(new EarlierPartners(this))
{
    quality_.reset(groups_, &slotPeople_);
}

GroupArrangement::~GroupArrangement()
{
    // The steps refer back to this object: drop them first.
    undoStack_->clear();
    for (QThread *worker : bestPossibleWorkers_) {
        worker->wait();
        delete worker;
    }
}

void GroupArrangement::startBestPossible()
{
    bestPossible_.reset();
    const unsigned long long ticket = ++bestPossibleTicket_;
    if (!hasGroups())
        return;
    auto result = std::make_shared<BestPossible>();
    QThread *worker = QThread::create([layout = groups_, result] { *result = quorvia::bestPossible(layout); });
    bestPossibleWorkers_.push_back(worker);
    connect(worker, &QThread::finished, this, [this, worker, ticket, result] {
        bestPossibleWorkers_.erase(std::find(bestPossibleWorkers_.begin(), bestPossibleWorkers_.end(), worker));
        worker->deleteLater();
        if (ticket != bestPossibleTicket_)
            return;  // a later Calculate came in meanwhile
        bestPossible_ = *result;
        emit bestPossibleChanged();
    });
    worker->start(QThread::LowPriority);
}

void GroupArrangement::reset(GroupTable groups, std::vector<char> personPins, std::vector<char> groupPins)
{
    undoStack_->clear();
    groups_ = std::move(groups);
    personPins_ = std::move(personPins);
    groupPins_ = std::move(groupPins);
    personPins_.resize(groups_.slotRecords.size(), 0);
    groupPins_.resize(std::size_t(std::max(groups_.NumGroups, 0)), 0);
    quality_.reset(groups_, &slotPeople_);
    startBestPossible();
    markSaved();
    announceChange();
}

bool GroupArrangement::hasUnsavedChanges() const
{
    return groups_.NumGroups != saved_.NumGroups || groups_.GroupSize != saved_.GroupSize
        || groups_.slotRecords != saved_.slotRecords || personPins_ != savedPersonPins_
        || groupPins_ != savedGroupPins_;
}

void GroupArrangement::markSaved()
{
    saved_ = groups_;
    savedPersonPins_ = personPins_;
    savedGroupPins_ = groupPins_;
}

std::unique_ptr<ImprovePenalty> GroupArrangement::createPenalty() const
{
    return penaltyFactory_ && hasGroups() ? penaltyFactory_(groups_) : nullptr;
}

QString GroupArrangement::repeatsLeftText() const
{
    if (!penaltyFactory_ || repeats_.total == 0)
        return QString();
    return repeats_.total == 1 ? tr(" 1 pair who met before is still together: no split without it was found.")
                               : tr(" %1 pairs who met before are still together: no split without them was found.")
                                     .arg(repeats_.total);
}

void GroupArrangement::setRepeatCounter(std::function<RepeatCount(const GroupTable &)> counter)
{
    repeatCounter_ = std::move(counter);
    announceChange();
}

std::size_t GroupArrangement::indexOf(Slot at) const
{
    return std::size_t(at.group) * std::size_t(groups_.GroupSize) + std::size_t(at.slot);
}

bool GroupArrangement::isPerson(Slot at) const
{
    return at.group >= 0 && at.group < groups_.NumGroups && at.slot >= 0 && at.slot < groups_.GroupSize
        && groups_.at(at.group, at.slot).HasData != 0;
}

bool GroupArrangement::isPersonPinned(Slot at) const
{
    return isPerson(at) && personPins_[indexOf(at)] != 0;
}

bool GroupArrangement::isGroupPinned(int group) const
{
    return group >= 0 && group < groups_.NumGroups && groupPins_[std::size_t(group)] != 0;
}

int GroupArrangement::peopleIn(int group) const
{
    if (group >= 0 && std::size_t(group) < report().groups.size())
        return report().groups[std::size_t(group)].people;
    return 0;
}

QString GroupArrangement::moveToGroup(Slot person, int toGroup, Slot *placed)
{
    if (!isPerson(person))
        return tr("Choose a person to move.");
    if (toGroup < 0 || toGroup >= groups_.NumGroups)
        return tr("There is no Group %1.").arg(toGroup + 1);
    if (toGroup == person.group)
        return tr("%1 is in Group %2 already.").arg(personName(groups_.at(person.group, person.slot))).arg(toGroup + 1);
    const int freeSlot = firstFreeSlot(toGroup);
    if (freeSlot < 0)
        return tr("Group %1 is full: drop onto one of its people to swap instead.").arg(toGroup + 1);
    auto *step = new ArrangementStep(this, ArrangementStep::Kind::Move,
                                     tr("Move %1 to Group %2").arg(personName(groups_.at(person.group, person.slot)))
                                         .arg(toGroup + 1));
    step->a = person;
    step->b = {toGroup, freeSlot};
    undoStack_->push(step);
    if (placed)
        *placed = step->b;
    return {};
}

QString GroupArrangement::swap(Slot a, Slot b)
{
    if (!isPerson(a) || !isPerson(b))
        return tr("Choose two people to swap.");
    if (a.group == b.group)
        return tr("%1 and %2 are in the same group.").arg(personName(groups_.at(a.group, a.slot)),
                                                          personName(groups_.at(b.group, b.slot)));
    auto *step = new ArrangementStep(this, ArrangementStep::Kind::Swap,
                                     tr("Swap %1 with %2").arg(personName(groups_.at(a.group, a.slot)),
                                                               personName(groups_.at(b.group, b.slot))));
    step->a = a;
    step->b = b;
    undoStack_->push(step);
    return {};
}

void GroupArrangement::setPersonPinned(Slot person, bool pinned)
{
    if (!isPerson(person) || isPersonPinned(person) == pinned)
        return;
    const QString name = personName(groups_.at(person.group, person.slot));
    auto *step = new ArrangementStep(this, ArrangementStep::Kind::PinPerson,
                                     pinned ? tr("Pin %1").arg(name) : tr("Unpin %1").arg(name));
    step->a = person;
    step->pinned = pinned;
    undoStack_->push(step);
}

void GroupArrangement::setGroupPinned(int group, bool pinned)
{
    if (group < 0 || group >= groups_.NumGroups || isGroupPinned(group) == pinned)
        return;
    auto *step = new ArrangementStep(this, ArrangementStep::Kind::PinGroup,
                                     (pinned ? tr("Pin Group %1") : tr("Unpin Group %1")).arg(group + 1));
    step->group = group;
    step->pinned = pinned;
    undoStack_->push(step);
}

ImproveOptions GroupArrangement::improveOptions(bool evenSizes) const
{
    ImproveOptions options;
    options.evenSizes = evenSizes;
    options.lockedSlots.assign(groups_.slotRecords.size(), false);
    bool any = false;
    for (int g = 0; g < groups_.NumGroups; ++g) {
        for (int s = 0; s < groups_.GroupSize; ++s) {
            if (isGroupPinned(g) || isPersonPinned({g, s}))
                options.lockedSlots[indexOf({g, s})] = any = true;
        }
    }
    if (!any)
        options.lockedSlots.clear();
    return options;
}

bool GroupArrangement::applyImproved(const GroupTable &improved, const QString &stepName)
{
    if (improved.NumGroups == groups_.NumGroups && improved.GroupSize == groups_.GroupSize
        && improved.slotRecords == groups_.slotRecords)
        return false;
    auto *step = new ArrangementStep(this, ArrangementStep::Kind::Table, stepName);
    step->before = groups_;
    step->after = improved;
    undoStack_->push(step);
    return true;
}

void GroupArrangement::takeOut(Slot at, ProfileRecord *person, Tags *tags)
{
    const std::size_t first = indexOf({at.group, 0});
    const std::size_t end = first + std::size_t(groups_.GroupSize);
    std::size_t i = indexOf(at);
    *person = groups_.slotRecords[i];
    tags->pinned = personPins_[i] != 0;
    tags->person = slotPeople_[i];
    for (; i + 1 < end; ++i) {
        groups_.slotRecords[i] = groups_.slotRecords[i + 1];
        personPins_[i] = personPins_[i + 1];
        slotPeople_[i] = slotPeople_[i + 1];
    }
    groups_.slotRecords[end - 1] = ProfileRecord{};
    personPins_[end - 1] = 0;
    slotPeople_[end - 1] = -1;
}

int GroupArrangement::firstFreeSlot(int group) const
{
    for (int s = 0; s < groups_.GroupSize; ++s) {
        if (groups_.at(group, s).HasData == 0)
            return s;
    }
    return -1;
}

void GroupArrangement::placeAt(Slot at, const ProfileRecord &person, Tags tags)
{
    groups_.slotRecords[indexOf(at)] = person;
    personPins_[indexOf(at)] = tags.pinned;
    slotPeople_[indexOf(at)] = tags.person;
}

void GroupArrangement::clearAt(Slot at, ProfileRecord *person, Tags *tags)
{
    const std::size_t i = indexOf(at);
    *person = groups_.slotRecords[i];
    tags->pinned = personPins_[i] != 0;
    tags->person = slotPeople_[i];
    groups_.slotRecords[i] = ProfileRecord{};
    personPins_[i] = 0;
    slotPeople_[i] = -1;
}

void GroupArrangement::insertAt(Slot at, const ProfileRecord &person, Tags tags)
{
    const std::size_t target = indexOf(at);
    for (std::size_t i = indexOf({at.group, groups_.GroupSize - 1}); i > target; --i) {
        groups_.slotRecords[i] = groups_.slotRecords[i - 1];
        personPins_[i] = personPins_[i - 1];
        slotPeople_[i] = slotPeople_[i - 1];
    }
    groups_.slotRecords[target] = person;
    personPins_[target] = tags.pinned;
    slotPeople_[target] = tags.person;
}

void GroupArrangement::exchange(Slot a, Slot b)
{
    std::swap(groups_.slotRecords[indexOf(a)], groups_.slotRecords[indexOf(b)]);
    std::swap(personPins_[indexOf(a)], personPins_[indexOf(b)]);
    std::swap(slotPeople_[indexOf(a)], slotPeople_[indexOf(b)]);
}

void GroupArrangement::replaceTable(const GroupTable &table)
{
    // Improve keeps pinned people in their groups but may close up a gap
    // before them: a pin follows its person within the group. Its people are
    // the ones already counted for the bound.
    std::vector<std::pair<ProfileRecord, int>> pinned;  // the person and their group
    for (std::size_t i = 0; i < personPins_.size() && i < groups_.slotRecords.size(); ++i) {
        if (personPins_[i] != 0)
            pinned.emplace_back(groups_.slotRecords[i], int(i) / groups_.GroupSize);
    }
    groups_ = table;
    personPins_.assign(groups_.slotRecords.size(), 0);
    for (const auto &[person, g] : pinned) {
        for (int s = 0; g < groups_.NumGroups && s < groups_.GroupSize; ++s) {
            const std::size_t i = indexOf({g, s});
            if (personPins_[i] == 0 && groups_.slotRecords[i] == person) {
                personPins_[i] = 1;
                break;
            }
        }
    }
    if (!quality_.rearrange(groups_, &slotPeople_))
        quality_.reset(groups_, &slotPeople_);
}

void GroupArrangement::announceChange()
{
    repeats_ = repeatCounter_ ? repeatCounter_(groups_) : RepeatCount{};
    ++revision_;
    emit changed();
}

QAction *GroupArrangement::createUndoAction(QObject *parent, const std::function<void(const QString &)> &say) const
{
    QAction *undo = undoStack_->createUndoAction(parent, tr("&Undo"));
    undo->setObjectName(QStringLiteral("mnuUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    // The stack has stepped back when triggered returns: the step undone is now the one to redo.
    connect(undo, &QAction::triggered, parent, [this, say] { say(tr("Undone: %1").arg(undoStack_->redoText())); });
    return undo;
}

QAction *GroupArrangement::createRedoAction(QObject *parent, const std::function<void(const QString &)> &say) const
{
    QAction *redo = undoStack_->createRedoAction(parent, tr("&Redo"));
    redo->setObjectName(QStringLiteral("mnuRedo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(redo, &QAction::triggered, parent, [this, say] { say(tr("Redone: %1").arg(undoStack_->undoText())); });
    return redo;
}

} // namespace quorvia
