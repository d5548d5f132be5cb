// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/GroupsConditions.h"
#include "cli/GroupsQuality.h"
#include "cli/GroupsRequest.h"
#include "cli/GroupsRules.h"
#include "csv/GroupsCsv.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/RecordNumbers.h"
#include "pool/AtomicFile.h"
#include "pool/PoolListing.h"
#include "pool/SafeTarget.h"
#include "rounds/ImproveConditions.h"
#include "rounds/PairHistory.h"
#include "rounds/RepeatPairsPenalty.h"
#include "rules/RulesPenalty.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <optional>
#include <set>

namespace quorvia::cli {
namespace {

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
            || arg == QLatin1String("--keep") || isConditionOption(arg);
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
        } else if (isConditionOption(arg)) {
            if (const QString problem = parseConditionOption(arg, value, request); !problem.isEmpty())
                return problem;
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
    return conditionUsageProblem(*request);
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

    // The rules and earlier partners are checked before anything is written.
    CliRules rules;
    PairHistory avoided;
    error = loadConditions(request, records, {selectedNumbers.begin(), selectedNumbers.end()}, &rules, &avoided);
    if (!error.isEmpty())
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
        std::unique_ptr<RepeatPairsPenalty> repeatsPenalty;
        if (!avoided.isEmpty())
            repeatsPenalty = std::make_unique<RepeatPairsPenalty>(
                groups, recordNumbersOf(groups, records, selectedNumbers), avoided);
        ImproveConditions conditions(
            groups,
            std::make_unique<RulesPenalty>(rules.parsed.rules, groups, records, slotRecords.empty()
                                               ? std::vector<int>(groups.slotRecords.size(), 0) : slotRecords),
            std::move(repeatsPenalty));
        groups = improvedGroups(groups, request.even, kept, conditions.penalty(), rules.parsed.rules.liftWeakest);
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
