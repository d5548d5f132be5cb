// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "pool/PoolListing.h"

namespace quorvia::cli {

int runListCommand(const QStringList &args)
{
    if (args == QStringList{QStringLiteral("--help")} || args == QStringList{QStringLiteral("-h")})
        return printOut(usageText()) ? Success : FileFailure;
    if (args.size() != 1)
        return usageError(args.isEmpty() ? QStringLiteral("list needs the pool file")
                                         : QStringLiteral("list takes one pool file, not %1 arguments").arg(args.size()));
    if (args.first().isEmpty())
        return usageError(QStringLiteral("list needs the pool file, not an empty name"));
    if (args.first().startsWith(QLatin1Char('-')))
        return usageError(QStringLiteral("unknown option \"%1\" (a pool named so is ./%1)").arg(args.first()));
    std::vector<ProfileRecord> records;
    QString error;
    if (!readPool(args.first(), &records, &error))
        return fail(FileFailure, error);

    QString out;
    for (const PoolListItem &item : sortedPoolList(records))
        out += QString::number(item.recordNumber) + QLatin1Char('\t') + escapeControls(item.text) + QLatin1Char('\n');
    return printOut(out) ? Success : FileFailure;
}

} // namespace quorvia::cli
