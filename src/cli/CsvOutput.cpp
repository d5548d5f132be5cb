#include "cli/CsvOutput.h"

#include <cstdio>

namespace quorvia::cli {

bool writeOut(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) == std::size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

QString standardOutputFailure() { return QStringLiteral("Could not write to the standard output."); }

} // namespace quorvia::cli
