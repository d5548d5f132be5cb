// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesFile.h"

#include "pool/AtomicFile.h"
#include "pool/TraitCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <set>

namespace quorvia {
namespace {

const QLatin1String kApart("apart");
const QLatin1String kTogether("together");
const QLatin1String kSpread("spread");
const QLatin1String kNotAlone("not-alone");
const QLatin1String kMix("mix-positions");
const QLatin1String kLift("lift-weakest");
const QLatin1String kOff("off");

// A rules file is a few lines; anything far larger is not one.
constexpr qint64 kLargestRulesFile = 16 * 1024 * 1024;

int traitIndex(const QString &word)
{
    const QStringList &traits = traitCatalogue();
    for (int t = 0; t < traits.size(); ++t) {
        if (traits.at(t).compare(word, Qt::CaseInsensitive) == 0)
            return t;
    }
    return -1;
}

// Names go into a comment: a backslash, a comma and control characters are
// escaped, so that a name never ends the line or splits in two.
QString escapedName(const QString &name)
{
    QString text;
    for (const QChar ch : name) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char(','))
            text += QLatin1Char('\\') + ch;
        else if (ch.category() == QChar::Other_Control)
            text += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += ch;
    }
    return text;
}

QStringList splitNames(const QString &comment)
{
    QStringList names;
    QString current;
    for (qsizetype i = 0; i < comment.size(); ++i) {
        const QChar ch = comment.at(i);
        if (ch == QLatin1Char('\\') && i + 1 < comment.size()) {
            const QChar next = comment.at(i + 1);
            bool ok = false;
            const int code = next == QLatin1Char('x') ? comment.mid(i + 2, 2).toInt(&ok, 16) : 0;
            if (ok) {
                current += QChar(code);
                i += 3;
            } else {
                current += next;
                ++i;
            }
        } else if (ch == QLatin1Char(',')) {
            names << current.trimmed();
            current.clear();
        } else {
            current += ch;
        }
    }
    names << current.trimmed();
    return names;
}

// One line's rule; an empty message when the line is sound.
QString parseLine(const QString &line, bool *isRule, GroupRule *rule, RuleSet *set)
{
    const qsizetype hash = line.indexOf(QLatin1Char('#'));
    const QString body = hash < 0 ? line : line.left(hash);
    QStringList words = body.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    *isRule = false;
    if (words.isEmpty())
        return QString();
    bool enabled = true;
    if (words.first().compare(kOff, Qt::CaseInsensitive) == 0) {
        enabled = false;
        words.removeFirst();
        if (words.isEmpty())
            return QStringLiteral("\"off\" needs a rule after it");
    }
    const QString word = words.first().toLower();
    const QStringList args = words.mid(1);
    if (word == kLift || word == kMix) {
        if (!args.isEmpty())
            return QStringLiteral("%1 takes nothing after it, not \"%2\"").arg(word, args.first());
        if (word == kLift) {
            set->liftWeakest = set->liftWeakest || enabled;
            return QString();
        }
        rule->kind = RuleKind::MixPositions;
    } else if (word == kSpread || word == kNotAlone) {
        if (args.size() != 1)
            return QStringLiteral("%1 takes one trait name").arg(word);
        rule->trait = traitIndex(args.first());
        if (rule->trait < 0)
            return QStringLiteral("unknown trait \"%1\"").arg(args.first());
        rule->kind = word == kSpread ? RuleKind::Spread : RuleKind::NotAlone;
    } else if (word == kApart || word == kTogether) {
        rule->kind = word == kApart ? RuleKind::KeepApart : RuleKind::KeepTogether;
        std::set<int> seen;
        for (const QString &arg : args) {
            bool ok = false;
            const int number = arg.toInt(&ok);
            if (!ok || number < 1 || !arg.at(0).isDigit())
                return QStringLiteral("\"%1\" is not a record number (numbers from 1)").arg(arg);
            if (!seen.insert(number).second)
                return QStringLiteral("record %1 is named twice").arg(number);
            rule->records.push_back(number);
        }
        if (rule->records.size() < 2)
            return QStringLiteral("%1 needs at least two record numbers").arg(word);
        const QStringList names = hash < 0 ? QStringList() : splitNames(line.mid(hash + 1));
        if (names.size() == qsizetype(rule->records.size()))
            rule->names = names;
    } else {
        return QStringLiteral("unknown word \"%1\"").arg(words.first());
    }
    rule->enabled = enabled;
    *isRule = true;
    return QString();
}

QString ruleLine(const GroupRule &rule, const std::vector<ProfileRecord> &records)
{
    QString line = rule.enabled ? QString() : QStringLiteral("off ");
    switch (rule.kind) {
    case RuleKind::KeepApart:
    case RuleKind::KeepTogether: {
        line += rule.kind == RuleKind::KeepApart ? kApart : kTogether;
        for (const int number : rule.records)
            line += QLatin1Char(' ') + QString::number(number);
        const QStringList names = rule.names.size() == qsizetype(rule.records.size()) ? rule.names
                                                                                      : currentNames(rule, records);
        QStringList shown;
        for (const QString &name : names)
            shown << escapedName(name);
        line += QStringLiteral("  # ") + shown.join(QStringLiteral(", "));
        break;
    }
    case RuleKind::Spread:
        line += kSpread + QLatin1Char(' ') + traitCatalogue().value(rule.trait);
        break;
    case RuleKind::NotAlone:
        line += kNotAlone + QLatin1Char(' ') + traitCatalogue().value(rule.trait);
        break;
    case RuleKind::MixPositions:
        line += kMix;
        break;
    }
    return line;
}

} // namespace

RulesText parseRules(const QString &text)
{
    RulesText parsed;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        GroupRule rule;
        bool isRule = false;
        const QString problem = parseLine(line, &isRule, &rule, &parsed.rules);
        if (!problem.isEmpty()) {
            parsed.errorLine = int(i + 1);
            parsed.error = problem;
            parsed.rules = RuleSet();
            parsed.lines.clear();
            return parsed;
        }
        if (isRule) {
            parsed.rules.rules.push_back(rule);
            parsed.lines.push_back(int(i + 1));
        }
    }
    return parsed;
}

QString rulesText(const RuleSet &rules, const std::vector<ProfileRecord> &records)
{
    QString text = QStringLiteral(
        "# Rules for the groups, one a line: apart/together RECORD..., spread TRAIT,\n"
        "# not-alone TRAIT, mix-positions, lift-weakest; \"off\" first keeps a rule out of force.\n");
    for (const GroupRule &rule : rules.rules)
        text += ruleLine(rule, records) + QLatin1Char('\n');
    if (rules.liftWeakest)
        text += kLift + QLatin1Char('\n');
    return text;
}

QString rulesPathFor(const QString &poolPath) { return poolPath + QStringLiteral(".rules"); }

RulesLoad loadRulesFile(const QString &path, RulesText *parsed, QString *message)
{
    *parsed = RulesText();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return RulesLoad::Missing;
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.isFile()) {
        *message = QStringLiteral("The rules file \"%1\" is not a regular file.").arg(shown);
        return RulesLoad::Unreadable;
    }
    if (info.size() > kLargestRulesFile) {
        *message = QStringLiteral("The rules file \"%1\" is too large to be a rules file.").arg(shown);
        return RulesLoad::Damaged;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("Could not read the rules file \"%1\": %2.").arg(shown, file.errorString());
        return RulesLoad::Unreadable;
    }
    *parsed = parseRules(QString::fromUtf8(file.readAll()));
    if (parsed->errorLine == 0)
        return RulesLoad::Loaded;
    *message = QStringLiteral("The rules file \"%1\" is damaged: line %2: %3.")
                   .arg(shown)
                   .arg(parsed->errorLine)
                   .arg(parsed->error);
    return RulesLoad::Damaged;
}

bool saveRulesFile(const QString &path, const RuleSet &rules, const std::vector<ProfileRecord> &records,
                   QString *reason)
{
    return replaceFileContents(path, rulesText(rules, records).toUtf8(), reason);
}

} // namespace quorvia
