// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs quorvia-cli (its path built into the test) and waits for it.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <tuple>

namespace quorvia::testing {

// Exit status, standard output, standard error. Relative names are read in
// workDir; a named outputFile receives standard output instead.
inline std::tuple<int, QByteArray, QString> runCli(const QString &workDir, const QStringList &args,
                                                   const QString &outputFile = {})
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(QUORVIA_CLI_PATH), args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace quorvia::testing
