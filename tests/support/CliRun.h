// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs quorvia-cli (its path built into the test) and waits for it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quorvia::testing {

struct CliResult {
    int status = -1;
    QByteArray out;
    QString err;
};

// Relative names are read in workDir. A test may set the process up further
// (a size limit, a shell around it) before it starts.
inline void startCli(QProcess &process, const QString &workDir, const QStringList &args)
{
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral(QUORVIA_CLI_PATH), args);
}

inline CliResult finishCli(QProcess &process)
{
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

// A named outputFile receives standard output instead.
inline CliResult runCli(const QString &workDir, const QStringList &args, const QString &outputFile = {})
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    startCli(process, workDir, args);
    return finishCli(process);
}

// A scratch folder the tool runs in, its files named bare.
struct CliFolder {
    QTemporaryDir dir;
    QString path(const QString &name = {}) const { return name.isEmpty() ? dir.path() : dir.filePath(name); }
    CliResult run(const QStringList &args, const QString &outputFile = {}) const
    {
        return runCli(dir.path(), args, outputFile);
    }
};

} // namespace quorvia::testing
