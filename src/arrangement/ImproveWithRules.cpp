// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/ImproveWithRules.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/ImproveRun.h"
#include "arrangement/PoolRules.h"
#include "grouping/GroupImprover.h"

#include <QApplication>

namespace quorvia {

QString improveWithRules(QWidget *parent, GroupArrangement &arrangement, bool evenSizes)
{
    const PoolRules &rules = *arrangement.rules();
    QStringList said;
    if (arrangement.hasGroups()) {
        for (const RuleProblem &problem :
             rules.problems(arrangement.groups(), arrangement.improveOptions(evenSizes).lockedSlots)) {
            said << QApplication::translate("Improve", "\"%1\" cannot be met: %2.")
                        .arg(ruleText(rules.rules().rules[std::size_t(problem.rule)], rules.records()), problem.reason);
        }
    }
    said << improveArrangement(parent, arrangement, evenSizes);
    const QString summary = arrangement.hasGroups() ? rulesSummary(rules.check(arrangement.groups())) : QString();
    if (!summary.isEmpty())
        said << summary.left(1).toUpper() + summary.mid(1) + QLatin1Char('.');
    return said.join(QLatin1Char(' '));
}

} // namespace quorvia
