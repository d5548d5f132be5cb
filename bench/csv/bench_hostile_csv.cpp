// SPDX-License-Identifier: GPL-3.0-or-later
// Peak memory and time of reading hostile CSV files (NUL bytes, one field of
// the whole file, a line of separators, a flood of bad rows, cells full of
// unknown traits), each read in a child process of its own so that its peak
// is its own. Prints the peak growth as a multiple of the file's size.
//
// Run: ./bench_hostile_csv [megabytes per file, default 32]

#include "csv/PeopleCsv.h"
#include "support/PoolFixtures.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray repeated(const QByteArray &piece, qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + piece.size());
    while (bytes.size() < size)
        bytes += piece;
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qsizetype size = qsizetype(argc > 1 ? QByteArray(argv[1]).toInt() : 32) << 20;
    const QByteArray header = "First name,Last name,Position,Traits,Works well with,Does not work well with\r\n";
    const std::pair<const char *, QByteArray> files[] = {
        {"NUL bytes", header + QByteArray(size, '\0')},
        {"one quoted field", header + "\"" + QByteArray(size, 'x') + "\",Lee\r\n"},
        {"a line of separators", header + "Ann" + QByteArray(size, ',') + "\r\n"},
        {"bad rows (no name)", header + repeated(",,,Creative\r\n", size)},
        {"unknown traits", header + "Ann,Lee,," + repeated("Nonsense;", size) + "\r\n"},
        {"control characters", header + repeated("\x01,x\r\n", size)},
    };
    QTemporaryDir dir;
    std::printf("%-24s %10s %12s %8s %10s\n", "file", "MB", "peak+ MB", "ratio", "seconds");
    for (const auto &[name, bytes] : files) {
        const QString path = dir.filePath(QStringLiteral("hostile.csv"));
        if (!writeFile(path, bytes))
            return 1;
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const long before = peakKilobytes();
            const auto start = std::chrono::steady_clock::now();
            const PeopleImport import = readPeopleCsv(path);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double grown = double(peakKilobytes() - before) / 1024.0;
            const double megabytes = double(bytes.size()) / (1 << 20);
            std::printf("%-24s %10.1f %12.1f %8.2f %10.2f  %s\n", name, megabytes, grown, grown / megabytes, seconds,
                        import.failure.isEmpty() ? "read" : qPrintable(import.failure.left(60)));
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
