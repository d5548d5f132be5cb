// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/GroupRules.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quorvia {

// The rules as text, one rule a line, words separated by blanks, `#` starts a
// comment, record numbers from 1, trait names in any case:
//     apart 12 40 7        # Ann Lee, Bo Chen, Cy Dee
//     together 3 9
//     spread Expert
//     not-alone Beginner
//     mix-positions
//     lift-weakest
// "off" before a rule keeps it in the file but not in force. The comment of
// an apart or together line, when it lists one name per record, gives the
// names the records held, so that a rule never follows a record that has
// been given to someone else.
struct RulesText {
    RuleSet rules;
    std::vector<int> lines;  // the line of every rule, from 1
    int errorLine = 0;       // 0: the text is sound
    QString error;           // what is wrong on errorLine
};
RulesText parseRules(const QString &text);

// The text parseRules reads back as the same rules, each person's name in
// the line's comment (the name recorded in the rule, or the pool's when the
// rule has none).
QString rulesText(const RuleSet &rules, const std::vector<ProfileRecord> &records);

// "POOL.Qvr" -> "POOL.Qvr.rules": the pool's own rules, kept beside it.
QString rulesPathFor(const QString &poolPath);

enum class RulesLoad { Missing, Loaded, Damaged, Unreadable };
// Reads a rules file; for Damaged and Unreadable `message` says what is
// wrong and where (the line), ready to show.
RulesLoad loadRulesFile(const QString &path, RulesText *parsed, QString *message);

// Replaces the file in one step; on failure it is as it was and `reason` says why.
bool saveRulesFile(const QString &path, const RuleSet &rules, const std::vector<ProfileRecord> &records,
                   QString *reason);

} // namespace quorvia
