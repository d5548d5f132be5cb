// SPDX-License-Identifier: GPL-3.0-or-later
#include "ruleseditor/RulesWindow.h"

#include "arrangement/EarlierPartners.h"
#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"
#include "dialogs/MessageBox.h"
#include "dialogs/PeoplePicker.h"
#include "grouping/GroupImprover.h"
#include "pool/TraitCatalogue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>

namespace quorvia {

const std::vector<RuleKind> &RulesWindow::kindsOffered()
{
    static const std::vector<RuleKind> kinds{RuleKind::KeepApart, RuleKind::KeepTogether, RuleKind::Spread,
                                             RuleKind::NotAlone, RuleKind::MixPositions};
    return kinds;
}

RulesWindow::RulesWindow(GroupArrangement *arrangement, QWidget *parent)
    : QMainWindow(parent), arrangement_(arrangement), rules_(arrangement->rules()),
      partners_(arrangement->earlierPartners())
{
    setObjectName(QStringLiteral("frmRules"));
    setWindowTitle(tr("Rules - Quorvia"));
    auto *central = new QWidget(this);
    setCentralWidget(central);

    lblRulesProblem = new QLabel(central);
    lblRulesProblem->setObjectName(QStringLiteral("lblRulesProblem"));
    lblRulesProblem->setWordWrap(true);
    lstRules = new QListWidget(central);
    lstRules->setObjectName(QStringLiteral("lstRules"));
    chkLiftWeakest = new QCheckBox(liftWeakestText(), central);
    chkLiftWeakest->setObjectName(QStringLiteral("chkLiftWeakest"));
    chkLiftWeakest->setToolTip(tr("Among groupings that meet the same rules, prefer a higher lowest group score "
                                  "to a higher total."));
    chkAvoidEarlier = new QCheckBox(central);
    chkAvoidEarlier->setObjectName(QStringLiteral("chkAvoidEarlier"));
    chkAvoidEarlier->setToolTip(tr("Improve keeps apart people who shared a group in the rounds chosen, after the "
                                   "rules and before the score."));
    cmdChooseRounds = new QPushButton(tr("Ch&oose Rounds..."), central);
    cmdChooseRounds->setObjectName(QStringLiteral("cmdChooseRounds"));
    cmdChooseRounds->setAccessibleDescription(tr("Opens the pool's rounds, to tick those whose partners are avoided"));
    cmdRemoveRule = new QPushButton(tr("&Remove Rule"), central);
    cmdRemoveRule->setObjectName(QStringLiteral("cmdRemoveRule"));

    auto *fraNewRule = new QGroupBox(tr("New rule"), central);
    cboRuleKind = new QComboBox(fraNewRule);
    cboRuleKind->setObjectName(QStringLiteral("cboRuleKind"));
    cboRuleKind->addItems({tr("Keep apart"), tr("Keep together"), tr("Spread a trait"),
                           tr("Never one alone with a trait"), tr("Mix positions")});
    cboTrait = new QComboBox(fraNewRule);
    cboTrait->setObjectName(QStringLiteral("cboTrait"));
    cboTrait->addItems(traitCatalogue());
    pickPeople = new PeoplePicker(fraNewRule);
    pickPeople->setObjectName(QStringLiteral("pickPeople"));
    cmdAddRule = new QPushButton(tr("&Add Rule"), fraNewRule);
    cmdAddRule->setObjectName(QStringLiteral("cmdAddRule"));
    auto *form = new QFormLayout(fraNewRule);
    form->addRow(tr("&Kind:"), cboRuleKind);
    form->addRow(tr("&Trait:"), cboTrait);
    form->addRow(tr("&People:"), pickPeople);
    form->addRow(cmdAddRule);

    cmdClose = new QPushButton(tr("&Close"), central);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdRemoveRule);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(lblRulesProblem);
    layout->addWidget(lstRules, 1);
    layout->addWidget(chkLiftWeakest);
    auto *avoidRow = new QHBoxLayout;
    avoidRow->addWidget(chkAvoidEarlier, 1);
    avoidRow->addWidget(cmdChooseRounds);
    layout->addLayout(avoidRow);
    layout->addLayout(buttons);
    layout->addWidget(fraNewRule, 1);
    resize(560, 640);

    connect(cboRuleKind, &QComboBox::currentIndexChanged, this, &RulesWindow::kindChosen);
    connect(cmdAddRule, &QPushButton::clicked, this, &RulesWindow::cmdAddRule_Click);
    connect(cmdRemoveRule, &QPushButton::clicked, this, &RulesWindow::cmdRemoveRule_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(lstRules, &QListWidget::itemChanged, this, &RulesWindow::ruleTicked);
    connect(lstRules, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdRemoveRule->setEnabled(row >= 0); });
    connect(chkLiftWeakest, &QCheckBox::toggled, this, &RulesWindow::liftWeakestTicked);
    connect(chkAvoidEarlier, &QCheckBox::toggled, this, &RulesWindow::avoidEarlierTicked);
    connect(cmdChooseRounds, &QPushButton::clicked, this, &RulesWindow::roundsRequested);
    connect(rules_, &PoolRules::changed, this, &RulesWindow::refresh);
    connect(partners_, &EarlierPartners::changed, this, &RulesWindow::showEarlierPartners);
    refresh();
    kindChosen();
}

void RulesWindow::showRules()
{
    refresh();
    show();
    raise();
    activateWindow();
}

QString RulesWindow::problemOf(const RuleSet &rules, int index) const
{
    if (!arrangement_->hasGroups())
        return QString();
    const GroupTable &groups = arrangement_->groups();
    const std::vector<int> slotRecords = rules_->slotRecordsOf(groups);
    for (const RuleProblem &problem : infeasibleRules(rules, groups, rules_->records(), slotRecords,
                                                      arrangement_->improveOptions(false).lockedSlots)) {
        if (problem.rule == index)
            return problem.reason;
    }
    return QString();
}

void RulesWindow::refresh()
{
    refreshing_ = true;
    const RuleSet &set = rules_->rules();
    // Items are updated in place: a tick's own signal may lead here.
    while (lstRules->count() > int(set.rules.size()))
        delete lstRules->takeItem(lstRules->count() - 1);
    while (lstRules->count() < int(set.rules.size())) {
        auto *item = new QListWidgetItem(lstRules);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setToolTip(tr("Untick to keep the rule without applying it."));
    }
    for (std::size_t i = 0; i < set.rules.size(); ++i) {
        const GroupRule &rule = set.rules[i];
        QString text = ruleText(rule, rules_->records());
        const QString stale = rule.namesPeople() ? staleReason(rule, rules_->records()) : QString();
        const QString problem = stale.isEmpty() && rule.enabled ? problemOf(set, int(i)) : QString();
        if (!stale.isEmpty())
            text += tr(" (not applied: %1)").arg(stale);
        else if (!problem.isEmpty())
            text += tr(" (cannot be met: %1)").arg(problem);
        QListWidgetItem *item = lstRules->item(int(i));
        item->setText(text);
        item->setCheckState(rule.enabled ? Qt::Checked : Qt::Unchecked);
    }
    const int current = lstRules->currentRow();
    if (current >= 0 && current < lstRules->count())
        lstRules->setCurrentRow(current);
    cmdRemoveRule->setEnabled(lstRules->currentRow() >= 0);
    chkLiftWeakest->setChecked(set.liftWeakest);
    QString problem = rules_->loadProblem().isEmpty()
        ? QString()
        : rules_->loadProblem() + tr(" It is left as it is until you change the rules.");
    if (rules_->isReadOnly())
        problem = tr("The pool is open read-only, because another window has it open: the rules cannot be changed "
                     "here. %1").arg(problem).trimmed();
    lblRulesProblem->setText(problem);
    lblRulesProblem->setVisible(!problem.isEmpty());
    pickPeople->setPeople(rules_->records());
    refreshing_ = false;
    showEarlierPartners();
}

void RulesWindow::showEarlierPartners()
{
    const QSignalBlocker quiet(chkAvoidEarlier);
    chkAvoidEarlier->setText(partners_->text());
    chkAvoidEarlier->setChecked(partners_->avoid());
}

void RulesWindow::avoidEarlierTicked(bool on)
{
    partners_->setAvoid(on);
    statusBar()->showMessage(on ? tr("\"%1\" is in force.").arg(partners_->text())
                                : tr("\"%1\" is not in force.").arg(partners_->text()));
}

void RulesWindow::kindChosen()
{
    const RuleKind kind = kindsOffered()[std::size_t(std::max(0, cboRuleKind->currentIndex()))];
    const bool people = kind == RuleKind::KeepApart || kind == RuleKind::KeepTogether;
    pickPeople->setEnabled(people);
    cboTrait->setEnabled(kind == RuleKind::Spread || kind == RuleKind::NotAlone);
}

bool RulesWindow::commit(const RuleSet &rules, const QString &done)
{
    QString error;
    if (!rules_->setRules(rules, &error)) {
        MessageBox::error(this, error);
        refresh();
        return false;
    }
    statusBar()->showMessage(done);
    return true;
}

void RulesWindow::cmdAddRule_Click()
{
    const RuleKind kind = kindsOffered()[std::size_t(std::max(0, cboRuleKind->currentIndex()))];
    GroupRule rule;
    rule.kind = kind;
    if (rule.namesPeople()) {
        const std::vector<int> people = pickPeople->tickedRecords();
        if (people.size() < 2) {
            statusBar()->showMessage(tr("Tick at least two people for the rule."));
            return;
        }
        rule = peopleRule(kind, people, rules_->records());
    } else if (kind != RuleKind::MixPositions) {
        rule.trait = cboTrait->currentIndex();
    }
    RuleSet set = rules_->rules();
    set.rules.push_back(rule);
    const QString words = ruleText(rule, rules_->records());
    const QString problem = problemOf(set, int(set.rules.size()) - 1);
    if (commit(set, problem.isEmpty() ? tr("Added \"%1\".").arg(words)
                                      : tr("Added \"%1\"; it cannot be met in these groups: %2.").arg(words, problem)))
        pickPeople->clearTicks();
}

void RulesWindow::cmdRemoveRule_Click()
{
    const int row = lstRules->currentRow();
    RuleSet set = rules_->rules();
    if (row < 0 || std::size_t(row) >= set.rules.size())
        return;
    const QString words = ruleText(set.rules[std::size_t(row)], rules_->records());
    set.rules.erase(set.rules.begin() + row);
    commit(set, tr("Removed \"%1\".").arg(words));
}

void RulesWindow::ruleTicked(QListWidgetItem *item)
{
    if (refreshing_)
        return;
    const int row = lstRules->row(item);
    RuleSet set = rules_->rules();
    if (row < 0 || std::size_t(row) >= set.rules.size())
        return;
    GroupRule &rule = set.rules[std::size_t(row)];
    rule.enabled = item->checkState() == Qt::Checked;
    const QString words = ruleText(rule, rules_->records());
    commit(set, rule.enabled ? tr("\"%1\" is in force.").arg(words) : tr("\"%1\" is not in force.").arg(words));
}

void RulesWindow::liftWeakestTicked(bool on)
{
    if (refreshing_ || on == rules_->rules().liftWeakest)
        return;
    RuleSet set = rules_->rules();
    set.liftWeakest = on;
    commit(set, on ? tr("Improve now lifts the weakest group first.") : tr("Improve now raises the total first."));
}

} // namespace quorvia
