// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    using namespace quorvia::cli;
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return printOut(usageText()) ? Success : FileFailure;
    if (command == QLatin1String("--version"))
        return printOut(QStringLiteral("quorvia-cli " QUORVIA_VERSION "\n")) ? Success : FileFailure;
    if (command == QLatin1String("list"))
        return runListCommand(args.mid(1));
    if (command == QLatin1String("groups"))
        return runGroupsCommand(args.mid(1));
    if (command == QLatin1String("import"))
        return runImportCommand(args.mid(1));
    if (command == QLatin1String("export"))
        return runExportCommand(args.mid(1));
    if (command.startsWith(QLatin1Char('-')))
        return usageError(QStringLiteral("unknown option \"%1\"").arg(command));
    return usageError(QStringLiteral("unknown command \"%1\"").arg(command));
}
