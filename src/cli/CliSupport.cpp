// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"

#include "cli/Commands.h"
#include "pool/PoolFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvia::cli {

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  quorvia-cli list POOL\n"
        "      One line per person in the order of the selection list:\n"
        "      the record number, a TAB, the item text.\n"
        "  quorvia-cli groups POOL [--amount N | --per-group N] [--select R1,R2,...] [-o FILE] [--csv]\n"
        "                         [--improve [--even] [--keep R1,R2,...] [--avoid FILE,...]] [--report]\n"
        "                         [--rules FILE | --no-rules]\n"
        "      Calculates the groups as the Calculate button does. N is 0 to 999 (0: the default);\n"
        "      --select takes record numbers (from 1); without it everybody takes part.\n"
        "      -o FILE writes the groups document as the Export command does.\n"
        "      --csv writes the groups as CSV instead: group, slot, names, position, score.\n"
        "      --improve then moves people between the groups to raise their total score;\n"
        "      --even first spreads them so that group sizes differ by at most one;\n"
        "      --keep leaves the people of the given records where Calculate put them.\n"
        "      --avoid keeps apart, as far as it can, people who shared a group in any of the\n"
        "      groups files given (saved groups, --csv output, or the document of -o or Export).\n"
        "      --report prints instead of the groups one line per group (group, people, score,\n"
        "      conflicts, TAB-separated), then \"total\", people, score, conflicts, the upper\n"
        "      bound of the score and the score as a percentage of it (with -o, besides the file).\n"
        "      --rules FILE: rules that Improve meets before the score, one a line (apart R1 R2...,\n"
        "      together R1 R2..., spread TRAIT, not-alone TRAIT, mix-positions, lift-weakest; #\n"
        "      starts a comment). Without it the pool's own POOL.rules is used when there is one;\n"
        "      --no-rules ignores it. --report then adds a line per rule before the total line:\n"
        "      \"rule\", the rule, \"met\" or \"broken\" and where; with --avoid a line \"repeats\"\n"
        "      and the pairs that met before comes before the total.\n"
        "  quorvia-cli import POOL FILE.csv [--dry-run] [--allow-duplicates]\n"
        "      Appends the people of a CSV file to the pool, all or nothing. Prints each\n"
        "      problem as line, TAB, message; exit 1 when a row was left out. People the pool\n"
        "      already holds (same names and position) are skipped unless --allow-duplicates.\n"
        "      --dry-run makes every check and writes nothing.\n"
        "  quorvia-cli export POOL\n"
        "      Writes the whole pool as CSV (UTF-8) to the standard output.\n"
        "  quorvia-cli --help\n"
        "  quorvia-cli --version\n"
        "A pool whose name starts with \"-\" is named as ./-name.\n");
}

int fail(int status, const QString &message)
{
    std::fprintf(stderr, "quorvia-cli: %s\n", message.toLocal8Bit().constData());
    return status;
}

int usageError(const QString &message)
{
    return fail(UsageFailure, message + QStringLiteral(" (see quorvia-cli --help)"));
}

bool printOut(const QString &text) { return printBytes(text.toUtf8()); }

bool printBytes(const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout)
            == std::size_t(bytes.size())
        && std::fflush(stdout) == 0;
    if (written)
        return true;
    const int cause = errno;
    fail(FileFailure, QStringLiteral("could not write to the standard output: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(cause ? cause : EIO))));
    return false;
}

QString escapeControls(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\\'))
            shown += QStringLiteral("\\\\");
        else if (ch.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += ch;
    }
    return shown;
}

namespace {

bool streamIsFile(int stream, const QString &path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(stream, &opened) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
        && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

QString standardStreamProblem(const QString &poolPath)
{
    // A message would land in the pool: it goes nowhere instead.
    if (streamIsFile(STDERR_FILENO, poolPath)) {
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            ::dup2(nowhere, STDERR_FILENO);
            ::close(nowhere);
        }
        return QStringLiteral("the standard error is the pool file \"%1\"").arg(QDir::toNativeSeparators(poolPath));
    }
    if (streamIsFile(STDOUT_FILENO, poolPath))
        return QStringLiteral("The standard output is the pool file \"%1\" (under this or another name); writing "
                              "there would damage it. Nothing was written: send the output to another file.")
            .arg(QDir::toNativeSeparators(poolPath));
    return QString();
}

bool readPool(const QString &path, std::vector<ProfileRecord> *records, QString *error)
{
    *error = standardStreamProblem(path);
    return error->isEmpty() && PoolFile::readAll(path, records, error, PoolFile::Missing::Fail);
}

} // namespace quorvia::cli
