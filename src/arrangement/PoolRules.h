// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "rules/RulesCheck.h"
#include "rules/RulesPenalty.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace quorvia {

// The rules of the open pool, kept in its rules file beside it: loaded when
// the pool opens, written in one step at every change. A damaged file is
// reported, taken as no rules, and left as it is until the user changes the
// rules. Shared by every window that shows or uses the groups.
class PoolRules : public QObject {
    Q_OBJECT
public:
    explicit PoolRules(QObject *parent = nullptr);

    // The pool at `poolPath` now holds `records`: another pool's rules are
    // read from its file; the same pool's are kept (names may have changed).
    void setPool(const QString &poolPath, const std::vector<ProfileRecord> &records);
    const QString &poolPath() const { return poolPath_; }
    const std::vector<ProfileRecord> &records() const { return records_; }

    const RuleSet &rules() const { return rules_; }
    // What was wrong with the file when it was read; empty when it was sound.
    const QString &loadProblem() const { return loadProblem_; }
    bool hasRulesInForce() const;

    // Another window holds the pool: the rules file is not written.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    // Puts the rules in force and writes them; false (rules unchanged) when
    // the pool is read-only or the file cannot be written, with the reason
    // in `error`.
    bool setRules(const RuleSet &rules, QString *error);
    // Record `number` was deleted from the pool: the person leaves every
    // rule, later records move down. Returns what it did, for the status bar
    // (empty when no rule named anyone after it).
    QString removeRecord(int number);

    // Each rule in force against the groups; slotRecords of the groups.
    std::vector<int> slotRecordsOf(const GroupTable &groups) const;
    std::vector<RuleStatus> check(const GroupTable &groups) const;
    // The rules Improve cannot meet in these groups with these pins.
    std::vector<RuleProblem> problems(const GroupTable &groups, const std::vector<bool> &lockedSlots) const;
    // The conditions for Improve; null when there is nothing to meet.
    std::unique_ptr<RulesPenalty> penaltyFor(const GroupTable &groups) const;

signals:
    void changed();

private:
    QString poolPath_;
    std::vector<ProfileRecord> records_;
    RuleSet rules_;
    QString loadProblem_;
    bool readOnly_ = false;
};

} // namespace quorvia
