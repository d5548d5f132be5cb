#include "cli/CliSupport.h"

#include "cli/Commands.h"
#include "pool/PoolFile.h"

#include <cstdio>

namespace quorvia::cli {

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  quorvia-cli list POOL\n"
        "      One line per person in the order of the selection list:\n"
        "      the record number, a TAB, the item text.\n"
        "  quorvia-cli groups POOL [--amount N | --per-group N] [--select R1,R2,...] [-o FILE]\n"
        "                         [--improve [--even] [--keep R1,R2,...]] [--report]\n"
        "      Calculates the groups as the Calculate button does. N is 0 to 999 (0: the default);\n"
        "      --select takes record numbers (from 1); without it everybody takes part.\n"
        "      -o FILE writes the groups document as the Export command does.\n"
        "      --improve then moves people between the groups to raise their total score;\n"
        "      --even first spreads them so that group sizes differ by at most one;\n"
        "      --keep leaves the people of the given records where Calculate put them.\n"
        "      --report prints instead of the groups one line per group (group, people, score,\n"
        "      conflicts, TAB-separated), then \"total\", people, score, conflicts, the upper\n"
        "      bound of the score and the score as a percentage of it (with -o, besides the file).\n"
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

void printOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

bool readPool(const QString &path, std::vector<ProfileRecord> *records, QString *error)
{
    return PoolFile::readAll(path, records, error, PoolFile::Missing::Fail);
}

} // namespace quorvia::cli
