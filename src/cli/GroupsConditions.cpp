// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/GroupsConditions.h"

#include "csv/GroupsFile.h"
#include "grouping/RecordNumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace quorvia::cli {
namespace {

// A groups file of the largest pool is a few megabytes.
constexpr qint64 kMaxGroupsFileBytes = 64LL * 1024 * 1024;

// The pairs of every file given to --avoid, by record number. A file that
// cannot be read, names someone the pool lacks, or none of the people taking
// part, is an error.
QString readAvoidedPairs(const GroupsRequest &request, const std::vector<ProfileRecord> &records,
                         const std::set<int> &taking, PairHistory *history)
{
    for (const QString &path : request.avoid) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("Could not read the groups file \"%1\": %2.")
                .arg(QDir::toNativeSeparators(path), file.errorString());
        if (file.size() > kMaxGroupsFileBytes)
            return QStringLiteral("\"%1\" is far too large to be a groups file.").arg(QDir::toNativeSeparators(path));
        GroupsFile read;
        QString problem;
        if (!readGroupsFile(file.readAll(), records, QFileInfo(request.poolPath).fileName(), &read, &problem))
            return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem);
        const std::vector<std::vector<int>> groups = groupsAsRecords(read.groups, read.recordNumbers);
        bool anyone = false;
        for (const std::vector<int> &group : groups)
            anyone = anyone || std::any_of(group.begin(), group.end(), [&](int r) { return taking.count(r) > 0; });
        if (!anyone)
            return QStringLiteral("%1: none of its people take part in these groups.").arg(QDir::toNativeSeparators(path));
        history->addGroups(groups);
    }
    return QString();
}

} // namespace

bool isConditionOption(const QString &arg)
{
    return arg == QLatin1String("--rules") || arg == QLatin1String("--avoid");
}

QString parseConditionOption(const QString &arg, const QString &value, GroupsRequest *request)
{
    if (arg == QLatin1String("--rules")) {
        if (!request->rulesPath.isEmpty())
            return QStringLiteral("--rules given twice");
        if (value.isEmpty())
            return QStringLiteral("--rules needs a file name");
        request->rulesPath = value;
        return QString();
    }
    if (!request->avoid.isEmpty())
        return QStringLiteral("--avoid given twice (list the files separated by commas)");
    request->avoid = value.split(QLatin1Char(','));
    if (request->avoid.contains(QString()))
        return QStringLiteral("--avoid needs file names separated by commas");
    return QString();
}

QString conditionUsageProblem(const GroupsRequest &request)
{
    if (request.noRules && !request.rulesPath.isEmpty())
        return QStringLiteral("give --rules or --no-rules, not both");
    if (!request.improve && !request.avoid.isEmpty())
        return QStringLiteral("--avoid needs --improve");
    return QString();
}

QString loadConditions(const GroupsRequest &request, const std::vector<ProfileRecord> &records,
                       const std::set<int> &takingPart, CliRules *rules, PairHistory *avoided)
{
    // Rules matter only to Improve and the report.
    if (!request.noRules && (request.improve || request.report || !request.rulesPath.isEmpty())) {
        QString error = loadCliRules(request.rulesPath, request.poolPath, rules);
        if (error.isEmpty())
            error = rulesPoolProblem(*rules, records, takingPart);
        if (!error.isEmpty())
            return error;
    }
    return readAvoidedPairs(request, records, takingPart, avoided);
}

QString withRepeatsLine(const QString &report, long long repeats)
{
    const qsizetype total = report.lastIndexOf(QLatin1String("total\t"));
    return report.left(total) + QStringLiteral("repeats\t%1\n").arg(repeats) + report.mid(total);
}

} // namespace quorvia::cli
