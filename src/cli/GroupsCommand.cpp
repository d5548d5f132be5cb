// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "csv/GroupsCsv.h"
#include "cli/GroupsQuality.h"
#include "cli/GroupsRules.h"
#include "grouping/CombinedPenalty.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/RecordNumbers.h"
#include "pool/AtomicFile.h"
#include "pool/SafeTarget.h"
#include "pool/PoolListing.h"
#include "rules/RulesPenalty.h"

#include "csv/GroupsFile.h"
#include "rounds/PairHistory.h"
#include "rounds/RepeatPairsPenalty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

#include <optional>
#include <set>

namespace quorvia::cli {
namespace {

// A groups file of the largest pool is a few megabytes.
constexpr qint64 kMaxGroupsFileBytes = 64LL * 1024 * 1024;

struct GroupsRequest {
    QString poolPath;
    SizeOption option = SizeOption::AmountOfGroups;
    QString sizeText;  // as the size box would hold it
    bool sizeGiven = false;
    std::optional<std::set<int>> selection;  // record numbers; none given: everybody
    QString outputPath;
    bool csv = false;
    bool improve = false;
    bool even = false;
    std::optional<std::set<int>> keep;  // record numbers that Improve leaves where they are
    QStringList avoid;                  // groups files whose pairs Improve keeps apart
    bool report = false;
    QString rulesPath;  // --rules FILE
    bool noRules = false;
};

bool isDigits(const QString &text)
{
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

// A size as a size box would hold it: digits only (none at all is an empty
// box), worth at most 999.
bool validSize(const QString &text)
{
    if (!isDigits(text))
        return false;
    QString digits = text;
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits.size() <= 3;
}

// Record numbers from 1, separated by commas; the pool's size is checked later.
std::optional<std::set<int>> parseSelection(const QString &text, QString *bad)
{
    std::set<int> numbers;
    for (const QString &item : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int number = isDigits(item) ? item.toInt(&ok) : 0;
        if (!ok || number < 1) {
            *bad = item;
            return std::nullopt;
        }
        numbers.insert(number);
    }
    return numbers;
}

QString parseQualitySwitch(const QString &arg, GroupsRequest *request);

// Returns a usage message, or an empty string when the arguments are sound.
QString parse(const QStringList &args, GroupsRequest *request)
{
    bool outputGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool isSize = arg == QLatin1String("--amount") || arg == QLatin1String("--per-group");
        const bool takesValue = isSize || arg == QLatin1String("--select") || arg == QLatin1String("-o")
            || arg == QLatin1String("--keep") || arg == QLatin1String("--rules")
            || arg == QLatin1String("--avoid");
        if (arg == QLatin1String("--csv")) {
            request->csv = true;
            continue;
        }
        if (const QString problem = parseQualitySwitch(arg, request); !problem.isNull()) {
            if (!problem.isEmpty())
                return problem;
            continue;
        }
        if (!takesValue) {
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                return QStringLiteral("unknown option \"%1\"").arg(arg);
            if (!request->poolPath.isEmpty())
                return QStringLiteral("groups takes one pool file; \"%1\" is one too many").arg(arg);
            request->poolPath = arg;
            continue;
        }
        if (i + 1 >= args.size())
            return QStringLiteral("%1 needs a value").arg(arg);
        const QString value = args.at(++i);
        if (isSize) {
            if (request->sizeGiven)
                return QStringLiteral("give one size only (--amount or --per-group), not \"%1 %2\" as well")
                    .arg(arg, value);
            if (!validSize(value))
                return QStringLiteral("bad value for %1: \"%2\" (a whole number from 0 to 999)").arg(arg, value);
            request->sizeGiven = true;
            request->option = arg == QLatin1String("--amount") ? SizeOption::AmountOfGroups : SizeOption::PeoplePerGroup;
            request->sizeText = value;
        } else if (arg == QLatin1String("--keep")) {
            if (request->keep)
                return QStringLiteral("--keep given twice");
            QString bad;
            request->keep = parseSelection(value, &bad);
            if (!request->keep)
                return QStringLiteral("bad record number in --keep: \"%1\" (numbers from 1, separated by commas)")
                    .arg(bad);
        } else if (arg == QLatin1String("--rules")) {
            if (!request->rulesPath.isEmpty())
                return QStringLiteral("--rules given twice");
            if (value.isEmpty())
                return QStringLiteral("--rules needs a file name");
            request->rulesPath = value;
        } else if (arg == QLatin1String("--avoid")) {
            if (!request->avoid.isEmpty())
                return QStringLiteral("--avoid given twice (list the files separated by commas)");
            request->avoid = value.split(QLatin1Char(','));
            if (request->avoid.contains(QString()))
                return QStringLiteral("--avoid needs file names separated by commas");
        } else if (arg == QLatin1String("--select")) {
            if (request->selection)
                return QStringLiteral("--select given twice");
            QString bad;
            request->selection = parseSelection(value, &bad);
            if (!request->selection)
                return QStringLiteral("bad record number in --select: \"%1\" (numbers from 1, separated by commas)")
                    .arg(bad);
        } else {
            if (outputGiven)
                return QStringLiteral("-o given twice");
            if (value.isEmpty())
                return QStringLiteral("-o needs a file name");
            outputGiven = true;
            request->outputPath = value;
        }
    }
    if (request->poolPath.isEmpty())
        return QStringLiteral("groups needs the pool file");
    if (!request->improve && request->even)
        return QStringLiteral("--even needs --improve");
    if (!request->improve && request->keep)
        return QStringLiteral("--keep needs --improve");
    if (request->noRules && !request->rulesPath.isEmpty())
        return QStringLiteral("give --rules or --no-rules, not both");
    if (!request->improve && !request->avoid.isEmpty())
        return QStringLiteral("--avoid needs --improve");
    return QString();
}

// The switches without a value: a null string when `arg` is none of them,
// an empty one when it is, a message when it is given twice.
QString parseQualitySwitch(const QString &arg, GroupsRequest *request)
{
    bool *flag = arg == QLatin1String("--improve") ? &request->improve
        : arg == QLatin1String("--even")          ? &request->even
        : arg == QLatin1String("--report")        ? &request->report
        : arg == QLatin1String("--no-rules")      ? &request->noRules
                                                  : nullptr;
    if (!flag)
        return QString();
    if (*flag)
        return QStringLiteral("%1 given twice").arg(arg);
    *flag = true;
    return QLatin1String("");
}

// Through a temporary file that replaces the target only once complete, so a
// failure never leaves a half-written export (nor spoils an existing file).
bool writeExport(const QString &path, const QByteArray &bytes, QString *error)
{
    QString reason;
    if (replaceFileContents(path, bytes, &reason))
        return true;
    *error = QStringLiteral("Could not write the groups to \"%1\": %2.")
                 .arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// The pairs of every file given to --avoid, by record number. A file that
// cannot be read, names someone the pool lacks, or none of the people taking
// part, is an error.
bool readAvoidedPairs(const GroupsRequest &request, const std::vector<ProfileRecord> &records,
                      const std::set<int> &taking, PairHistory *history, QString *error)
{
    for (const QString &path : request.avoid) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Could not read the groups file \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
            return false;
        }
        if (file.size() > kMaxGroupsFileBytes) {
            *error = QStringLiteral("\"%1\" is far too large to be a groups file.").arg(QDir::toNativeSeparators(path));
            return false;
        }
        GroupsFile read;
        QString problem;
        if (!readGroupsFile(file.readAll(), records, QFileInfo(request.poolPath).fileName(), &read, &problem)) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem);
            return false;
        }
        const std::vector<std::vector<int>> groups = groupsAsRecords(read.groups, read.recordNumbers);
        bool anyone = false;
        for (const std::vector<int> &group : groups)
            anyone = anyone || std::any_of(group.begin(), group.end(), [&](int r) { return taking.count(r) > 0; });
        if (!anyone) {
            *error = QStringLiteral("%1: none of its people take part in these groups.").arg(QDir::toNativeSeparators(path));
            return false;
        }
        history->addGroups(groups);
    }
    return true;
}

// The report with the pairs that met before, on the line before the total.
QString withRepeatsLine(const QString &report, long long repeats)
{
    const qsizetype total = report.lastIndexOf(QLatin1String("total\t"));
    return report.left(total) + QStringLiteral("repeats\t%1\n").arg(repeats) + report.mid(total);
}

} // namespace

int runGroupsCommand(const QStringList &args)
{
    GroupsRequest request;
    const QString usage = parse(args, &request);
    if (!usage.isEmpty())
        return usageError(usage);

    // Reading the pool first refuses standard streams that are the pool, so
    // that no message about -o can land in it.
    std::vector<ProfileRecord> records;
    QString error;
    if (!readPool(request.poolPath, &records, &error))
        return fail(FileFailure, error);
    if (!request.outputPath.isEmpty())
        error = exportTargetProblem(request.outputPath, request.poolPath);
    if (!error.isEmpty())
        return fail(FileFailure, error);
    if (records.empty())
        return fail(FileFailure, QStringLiteral("No profile data has been entered."));
    if (request.selection) {
        const int last = *request.selection->rbegin();
        if (last > int(records.size()))
            return usageError(QStringLiteral("record number %1 in --select is outside the pool (%2 records)")
                                  .arg(last)
                                  .arg(records.size()));
    }
    if (request.keep) {
        for (const int number : *request.keep) {
            if (number > int(records.size()) || (request.selection && !request.selection->count(number)))
                return usageError(QStringLiteral("record number %1 in --keep is not among the people selected")
                                      .arg(number));
        }
    }

    // The people take part in the order of the selection list, whatever the
    // order of the numbers given.
    std::vector<ProfileRecord> selected;
    std::vector<int> selectedNumbers;
    for (const PoolListItem &item : sortedPoolList(records)) {
        if (!request.selection || request.selection->count(item.recordNumber)) {
            selected.push_back(records[std::size_t(item.recordNumber - 1)]);
            selectedNumbers.push_back(item.recordNumber);
        }
    }

    // Rules matter only to Improve and the report; they are checked before anything is written.
    CliRules rules;
    if (!request.noRules && (request.improve || request.report || !request.rulesPath.isEmpty())) {
        error = loadCliRules(request.rulesPath, request.poolPath, &rules);
        if (error.isEmpty())
            error = rulesPoolProblem(rules, records, {selectedNumbers.begin(), selectedNumbers.end()});
        if (!error.isEmpty())
            return fail(FileFailure, error);
    }
    PairHistory avoided;
    if (!readAvoidedPairs(request, records, std::set<int>(selectedNumbers.begin(), selectedNumbers.end()), &avoided,
                          &error))
        return fail(FileFailure, error);

    const int value = defaultedSizeValue(request.option, sizeBoxValue(request.sizeText), int(selected.size()));
    GroupTable groups = buildGroups(selected, request.option, value);
    std::vector<int> slotRecords;
    if (!rules.path.isEmpty()) {
        slotRecords = recordNumbersOf(groups, records, selectedNumbers);
        std::vector<bool> locked(groups.slotRecords.size(), false);
        if (request.improve && request.keep) {
            for (std::size_t s = 0; s < slotRecords.size(); ++s)
                locked[s] = slotRecords[s] != 0 && request.keep->count(slotRecords[s]) > 0;
        }
        error = rulesGroupsProblem(rules, groups, records, slotRecords, locked);
        if (!error.isEmpty())
            return fail(FileFailure, error);
    }
    if (request.improve) {
        std::vector<ProfileRecord> kept;
        if (request.keep) {
            for (const int number : *request.keep)
                kept.push_back(records[std::size_t(number - 1)]);
        }
        RulesPenalty rulesPenalty(rules.parsed.rules, groups, records, slotRecords.empty()
                                      ? std::vector<int>(groups.slotRecords.size(), 0) : slotRecords);
        std::unique_ptr<RepeatPairsPenalty> repeatsPenalty;
        if (!avoided.isEmpty())
            repeatsPenalty = std::make_unique<RepeatPairsPenalty>(
                groups, recordNumbersOf(groups, records, selectedNumbers), avoided);
        // The rules come before earlier partners, and both before the score.
        const long long rulesWeight = repeatsPenalty ? CombinedPenalty::outweighing(groups) : 1;
        CombinedPenalty penalty({{rulesPenalty.isEmpty() ? nullptr : &rulesPenalty, rulesWeight},
                                 {repeatsPenalty.get(), 1}});
        groups = improvedGroups(groups, request.even, kept, penalty.empty() ? nullptr : &penalty,
                                rules.parsed.rules.liftWeakest);
        if (!rules.path.isEmpty())
            slotRecords = recordNumbersOf(groups, records, selectedNumbers);
    }
    const long long repeats = avoided.isEmpty()
        ? 0
        : countRepeats(groups, recordNumbersOf(groups, records, selectedNumbers), avoided).total;

    // The record numbers let the CSV be read back exactly (by --avoid, or Open Groups).
    GroupsCsvExtras extras;
    if (request.csv) {
        extras.recordNumbers = recordNumbersOf(groups, records, selectedNumbers);
        extras.poolName = QFileInfo(request.poolPath).fileName();
    }
    if (!request.outputPath.isEmpty()) {
        const QByteArray bytes = request.csv ? groupsCsvBytes(groups, extras) : groupsDocumentBytes(groups);
        if (!writeExport(request.outputPath, bytes, &error))
            return fail(FileFailure, error);
        if (!request.report)
            return Success;
    }
    if (request.report) {
        // The rule and repeats lines go before the total line, which stays last.
        QString report = qualityReportText(groups);
        if (!request.avoid.isEmpty())
            report = withRepeatsLine(report, repeats);
        const qsizetype total = report.lastIndexOf(QLatin1String("total\t"));
        if (!rules.path.isEmpty())
            report.insert(total < 0 ? report.size() : total, ruleReportLines(rules, groups, records, slotRecords));
        return printOut(report) ? Success : FileFailure;
    }
    if (request.csv)
        return printBytes(groupsCsvBytes(groups, extras)) ? Success : FileFailure;
    QString text;
    for (const QString &line : groupsDocument(groups))
        text += escapeControls(line) + QLatin1Char('\n');  // one line each on a terminal, too
    return printOut(text) ? Success : FileFailure;
}

} // namespace quorvia::cli
