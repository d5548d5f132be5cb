// SPDX-License-Identifier: GPL-3.0-or-later
// Times the profile editor's save and delete on a pool of 32,767 profiles,
// each including the main window's rebuild of its selection list, as a user
// meets them. Prints its figures; asserts nothing about time.
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_profiles [folder for the pool]

#include "mainwindow/MainWindow.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"
#include "pool/PoolRewrite.h"
#include "profiles/ProfilesWindow.h"
#include "support/PoolFixtures.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPoolSize = 32767;
constexpr int kRuns = 7;

std::vector<ProfileRecord> makePool()
{
    std::vector<ProfileRecord> records;
    records.reserve(kPoolSize);
    for (int i = 0; i < kPoolSize; ++i) {
        ProfileRecord r = person(QStringLiteral("First%1").arg(i % 977), QStringLiteral("Last%1").arg((i * 7919) % kPoolSize),
                                 i % 3 ? QStringLiteral("Clerk") : QString());
        r.OwnAttributes[std::size_t(i % 22)] = kTrue;
        r.CompatibleWith[std::size_t((i + 5) % 22)] = kTrue;
        records.push_back(r);
    }
    return records;
}

// Median milliseconds of `runs` runs of `step`; `prepare` runs untimed before each.
double medianMs(const std::function<void()> &prepare, const std::function<void()> &step, int runs = kRuns)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        step();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);

    QTemporaryDir tmp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench-XXXXXX") : QString());
    const QString pool = tmp.filePath(QStringLiteral("Bench.Qvr"));
    const QByteArray original = poolBytes(makePool());
    auto restore = [&] { writeFile(pool, original); };
    restore();

    MainWindow main(pool);
    if (!main.LoadPoolList()) {
        std::fprintf(stderr, "could not load %s\n", qPrintable(pool));
        return 1;
    }
    ProfilesWindow *editor = main.profilesWindow();
    auto button = [editor](const char *name) { return editor->findChild<QPushButton *>(name); };
    auto firstName = editor->findChild<QLineEdit *>(QStringLiteral("txtFirstName"));
    int rebuilds = 0;
    QObject::connect(editor, &ProfilesWindow::poolChanged, [&rebuilds] { ++rebuilds; });

    // Puts the editor at `number` by paging from record 1 (untimed).
    auto goTo = [&](int number) {
        restore();
        main.LoadPoolList();
        editor->loadFirstRecord();
        for (int i = 1; i < number; ++i)
            button("cmdNext")->click();
    };
    auto goToFast = [&](int number) {
        restore();
        main.LoadPoolList();
        editor->loadFirstRecord();
        // Paging there one step at a time would take long; New lands at the
        // blank position, and Previous steps back from it.
        button("cmdNew")->click();
        for (int i = kPoolSize + 1; i > number; --i)
            button("cmdPrevious")->click();
    };

    std::printf("Pool of %d profiles (%lld bytes), median of %d runs, list rebuild included\n", kPoolSize,
                static_cast<long long>(original.size()), kRuns);

    const double load = medianMs([] {}, [&] { editor->loadFirstRecord(); });
    std::printf("  load record 1                  %8.2f ms\n", load);
    const double next = medianMs([&] { editor->loadFirstRecord(); }, [&] { button("cmdNext")->click(); });
    std::printf("  Next (no prompt)               %8.2f ms\n", next);
    const double listOnly = medianMs([] {}, [&] { main.LoadPoolList(); });
    std::printf("  list rebuild alone             %8.2f ms\n", listOnly);

    const double saveInPlace = medianMs(
        [&] { goTo(2); firstName->setText(QStringLiteral("Changed")); },
        [&] { button("cmdSave")->click(); });
    std::printf("  save in place (record 2)       %8.2f ms\n", saveInPlace);

    const double saveAppend = medianMs(
        [&] { goToFast(kPoolSize + 1); firstName->setText(QStringLiteral("Appended")); },
        [&] { button("cmdSave")->click(); });
    std::printf("  %-30s %8.2f ms\n", qPrintable(QStringLiteral("save appended (record %1)").arg(kPoolSize + 1)), saveAppend);

    for (int number : {1, kPoolSize / 2, kPoolSize}) {
        const double ms = medianMs(
            [&] { number == 1 ? goTo(1) : goToFast(number); MessageBox::queueAnswer(MessageBox::Yes); },
            [&] { button("cmdDelete")->click(); });
        std::printf("  %-30s %8.2f ms  (pool now %lld bytes)\n", qPrintable(QStringLiteral("delete record %1").arg(number)), ms,
                    static_cast<long long>(PoolFile::fileSize(pool)));
    }
    const qint64 middle = qint64(kPoolSize / 2 - 1) * kRecordSize;
    const double rewrite = medianMs(restore, [&] {
        rewritePoolWithout(pool, kPoolSize / 2, original.mid(middle, kRecordSize), nullptr);
    });
    std::printf("  file rewrite alone (synced)    %8.2f ms\n", rewrite);
    std::printf("  main window list: %d items after the last deletion; %d rebuilds in all\n",
                main.poolList()->itemCount(), rebuilds);
    return 0;
}
