#include "cli/CliSupport.h"

#include "cli/Commands.h"
#include "pool/PoolFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
        "      bound of the score and the score as a percentage of it (with -o, besides the file);\n"
        "      with --avoid a line \"repeats\" and the pairs that met before comes before the total.\n"
        "  quorvia-cli import POOL FILE.csv [--dry-run]\n"
        "      Appends the people of a CSV file to the pool. Prints each problem as\n"
        "      line, TAB, message; exit 1 when a row was left out. --dry-run writes nothing.\n"
        "  quorvia-cli export POOL\n"
        "      Writes the whole pool as CSV (UTF-8) to the standard output.\n"
        "  quorvia-cli --help\n");
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

bool readPool(const QString &path, std::vector<ProfileRecord> *records, QString *error)
{
    return PoolFile::readAll(path, records, error, PoolFile::Missing::Fail);
}

} // namespace quorvia::cli
