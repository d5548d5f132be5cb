// SPDX-License-Identifier: GPL-3.0-or-later
// Times the selection list on the largest pool: reading, sorting and showing
// 32,767 profiles, ticking all of them, and filtering them as a user types.
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "support/PoolFixtures.h"

#include <QApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace quorvia;

namespace {

QString randomName(QRandomGenerator &random)
{
    static const char *const syllables[] = {"an", "be", "cor", "da", "el", "fi", "go", "ha", "is", "jo",
                                            "ka", "lu", "mi", "no", "or", "pe", "qui", "ra", "so", "tu"};
    QString name;
    const int parts = 1 + random.bounded(3);
    for (int i = 0; i < parts; ++i)
        name += QLatin1String(syllables[random.bounded(20)]);
    name[0] = name[0].toUpper();
    return name;
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int count = 32767;
    QTemporaryDir dir;
    const QString pool = dir.filePath(QStringLiteral("large.Qvr"));
    QRandomGenerator random(32767);
    std::vector<ProfileRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i)
        records.push_back(testing::person(randomName(random), randomName(random),
                                          random.bounded(2) ? randomName(random) : QString()));
    testing::writePool(pool, records);

    MainWindow window(pool);
    std::printf("Selection list, %d profiles (ms)\n", count);
    std::printf("  first load (read, sort, fill)  %8.1f\n", millisecondsOf([&] { window.LoadPoolList(); }));
    std::printf("  reload                         %8.1f\n", millisecondsOf([&] { window.LoadPoolList(); }));
    std::printf("  show the window                %8.1f\n", millisecondsOf([&] {
                    window.show();
                    QApplication::processEvents();
                }));
    auto *selectAll = window.findChild<QPushButton *>(QStringLiteral("cmdSelectAll"));
    auto *clearAll = window.findChild<QPushButton *>(QStringLiteral("cmdClearAll"));
    std::printf("  Select All                     %8.1f\n", millisecondsOf([&] {
                    selectAll->click();
                    QApplication::processEvents();
                }));
    std::printf("  Clear All                      %8.1f\n", millisecondsOf([&] {
                    clearAll->click();
                    QApplication::processEvents();
                }));
    // Each keystroke in the filter box, the list repainted after it. The
    // first one also folds the texts of the whole list (once per rebuild).
    auto *filter = window.findChild<QLineEdit *>(QStringLiteral("txtFilter"));
    const QString typed = QStringLiteral("corda");
    for (int length = 1; length <= typed.size(); ++length)
        std::printf("  filter \"%-5s\"                 %8.1f\n", qPrintable(typed.left(length)), millisecondsOf([&] {
                        filter->setText(typed.left(length));
                        QApplication::processEvents();
                    }));
    std::printf("  Select All on the shown        %8.1f\n", millisecondsOf([&] {
                    selectAll->click();
                    QApplication::processEvents();
                }));
    std::printf("  filter cleared                 %8.1f\n", millisecondsOf([&] {
                    filter->clear();
                    QApplication::processEvents();
                }));
    std::printf("  items listed: %d\n", window.poolList()->itemCount());
    return 0;
}
