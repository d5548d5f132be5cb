// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardWindow.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"
#include "board/BoardView.h"
#include "dialogs/MessageBox.h"
#include "dialogs/PeoplePicker.h"

namespace quorvia {

void BoardWindow::mnuKeepApartFrom_Click() { addRuleForCurrent(true); }

void BoardWindow::mnuKeepTogetherWith_Click() { addRuleForCurrent(false); }

void BoardWindow::addRuleForCurrent(bool apart)
{
    const BoardView::Slot at = view_->current();
    if (!arrangement_->isPerson(at))
        return;
    PoolRules *rules = arrangement_->rules();
    const GroupTable &groups = arrangement_->groups();
    const int record = rules->slotRecordsOf(groups)[std::size_t(at.group * groups.GroupSize + at.slot)];
    if (record == 0) {
        say(tr("This person is no longer in the pool; no rule was made."));
        return;
    }
    const QString name = personName(rules->records(), record);
    std::vector<int> people = PeoplePicker::pick(
        this, apart ? tr("Keep %1 Apart From").arg(name) : tr("Keep %1 Together With").arg(name), rules->records(),
        {record});
    if (people.empty()) {
        say(tr("No rule was made."));
        return;
    }
    people.insert(people.begin(), record);
    RuleSet set = rules->rules();
    set.rules.push_back(peopleRule(apart ? RuleKind::KeepApart : RuleKind::KeepTogether, people, rules->records()));
    QString error;
    if (!rules->setRules(set, &error)) {
        MessageBox::error(this, error);
        return;
    }
    say(tr("Added \"%1\".").arg(ruleText(set.rules.back(), rules->records())));
}

} // namespace quorvia
