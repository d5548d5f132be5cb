// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/GroupRules.h"

#include <QMainWindow>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quorvia {

class EarlierPartners;
class GroupArrangement;
class PeoplePicker;
class PoolRules;

// "Rules": the pool's rules in plain words, each with an on/off tick, and
// the means to add and remove them. Not modal; every change is written to
// the pool's rules file at once.
class RulesWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit RulesWindow(GroupArrangement *arrangement, QWidget *parent = nullptr);

    void showRules();
    // Rule kinds in the order of the kind box.
    static const std::vector<RuleKind> &kindsOffered();

public slots:
    void cmdAddRule_Click();
    void cmdRemoveRule_Click();

signals:
    // "Choose Rounds...": the rounds whose partners are avoided are ticked in the Rounds window.
    void roundsRequested();

private:
    void refresh();
    void kindChosen();
    void ruleTicked(QListWidgetItem *item);
    void liftWeakestTicked(bool on);
    // Avoiding earlier partners is shown and ticked with the rules, though
    // it is kept for the session rather than in the rules file.
    void showEarlierPartners();
    void avoidEarlierTicked(bool on);
    // Puts `rules` in force; says `done` or why it could not.
    bool commit(const RuleSet &rules, const QString &done);
    // Why the rule at `index` cannot be met in the present groups; empty when it can.
    QString problemOf(const RuleSet &rules, int index) const;

    GroupArrangement *arrangement_;
    PoolRules *rules_;
    EarlierPartners *partners_;
    QLabel *lblRulesProblem;
    QListWidget *lstRules;
    QCheckBox *chkLiftWeakest;
    QCheckBox *chkAvoidEarlier;
    QPushButton *cmdChooseRounds;
    QComboBox *cboRuleKind;
    QComboBox *cboTrait;
    PeoplePicker *pickPeople;
    QPushButton *cmdAddRule;
    QPushButton *cmdRemoveRule;
    QPushButton *cmdClose;
    bool refreshing_ = false;
};

} // namespace quorvia
