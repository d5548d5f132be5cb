// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "csv/PeopleCsv.h"
#include "pool/PoolAppend.h"
#include "pool/PoolListing.h"
#include "pool/PoolLock.h"

#include <QDir>

#include <cstdio>

// quorvia-cli import and export: people in and out of a pool as CSV.
namespace quorvia::cli {
namespace {

QString people(qsizetype count) { return countText(count, QStringLiteral("person"), QStringLiteral("people")); }
QString rows(qsizetype count) { return countText(count, QStringLiteral("row"), QStringLiteral("rows")); }

} // namespace

int runImportCommand(const QStringList &args)
{
    QStringList files;
    AppendOptions options;
    options.skipDuplicates = true;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--dry-run"))
            options.dryRun = true;
        else if (arg == QLatin1String("--allow-duplicates"))
            options.skipDuplicates = false;
        else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        else
            files << arg;
    }
    if (files.size() != 2)
        return usageError(QStringLiteral("import needs the pool file and the CSV file"));
    const QString &poolPath = files.at(0);

    // The pool must exist and be readable before anything is said about the rows.
    std::vector<ProfileRecord> existing;
    QString error;
    if (!readPool(poolPath, &existing, &error))
        return fail(FileFailure, error);
    existing.clear();
    const PeopleImport import = readPeopleCsv(files.at(1));
    if (!import.failure.isEmpty())
        return fail(FileFailure, import.failure);

    QString problems;
    for (const ImportProblem &problem : import.problems)
        problems += QString::number(problem.line) + QLatin1Char('\t') + problem.message + QLatin1Char('\n');
    if (!printBytes(problems.toUtf8()))
        return FileFailure;

    const int status = import.rowsLeftOut > 0 ? FileFailure : Success;
    const QString pool = QDir::toNativeSeparators(poolPath);
    if (import.rows.empty())
        return fail(FileFailure, QStringLiteral("No row can be imported; \"%1\" is unchanged.").arg(pool));
    // A window that has the pool open may be about to save into it: its
    // list and editor would not know of the new people, so it goes first.
    const QString window = PoolLock::windowHolding(poolPath);
    if (!window.isEmpty())
        return fail(FileFailure, QStringLiteral("The pool \"%1\" is open in another window (%2). Close it there "
                                                "first. Nothing was written.")
                                     .arg(pool, window));
    std::vector<ProfileRecord> records;
    records.reserve(import.rows.size());
    for (const ImportedRow &row : import.rows)
        records.push_back(row.record);
    AppendResult result;
    if (!appendRecords(poolPath, records, &error, options, &result))
        return fail(FileFailure, error);
    const QString skipped = result.duplicates > 0
        ? QStringLiteral(", %1 already in the pool skipped (--allow-duplicates imports them)")
              .arg(people(result.duplicates))
        : QString();
    std::fprintf(stderr, "quorvia-cli: %s\n",
                 qPrintable(options.dryRun
                                ? QStringLiteral("%1 would be added to \"%2\"%3, %4 left out (dry run: nothing "
                                                 "written).")
                                      .arg(people(result.added), pool, skipped, rows(import.rowsLeftOut))
                                : QStringLiteral("%1 added to \"%2\"%3, %4 left out.")
                                      .arg(people(result.added), pool, skipped, rows(import.rowsLeftOut))));
    return status;
}

int runExportCommand(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(args.isEmpty()
                              ? QStringLiteral("export needs the pool file")
                              : QStringLiteral("export takes one pool file, not %1 arguments").arg(args.size()));
    std::vector<ProfileRecord> records;
    QString error;
    if (!readPool(args.first(), &records, &error))
        return fail(FileFailure, error);
    if (!printBytes(poolCsvBytes(records)))
        return FileFailure;
    return Success;
}

} // namespace quorvia::cli
