// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/QualityReadout.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"

#include <QPlainTextEdit>

namespace quorvia {

void QualityReadout::showRules()
{
    const PoolRules *rules = arrangement_->rules();
    QStringList lines;
    if (!rules->loadProblem().isEmpty())
        lines << rules->loadProblem();
    if (arrangement_->hasGroups()) {
        for (const RuleStatus &status : rules->check(arrangement_->groups())) {
            lines << (status.met ? tr("Met: %1").arg(status.text)
                                 : tr("Broken: %1 (%2)").arg(status.text, status.detail));
        }
    }
    if (rules->rules().liftWeakest)
        lines << tr("Improve lifts the weakest group first.");
    txtRulesStatus->setPlainText(lines.join(QLatin1Char('\n')));
    txtRulesStatus->setVisible(!lines.isEmpty());
}

} // namespace quorvia
