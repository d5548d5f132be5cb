// SPDX-License-Identifier: GPL-3.0-or-later
// Times the board of groups with 1,000 groups (3,998 people in groups of 4): opening it (first paint
// included), scrolling it page by page, a swap, a move and its undo with
// everything that follows them, and a whole new arrangement of the same people. `bench_board --large` adds 32,767 people in 1,000 groups and in 10;
// `bench_board --shot FILE.png` saves a picture of the open board.
#include "arrangement/GroupArrangement.h"
#include "board/BoardView.h"
#include "board/BoardWindow.h"
#include "grouping/GroupBuilder.h"
#include "grouping/PoolGenerator.h"

#include <QApplication>
#include <QUndoStack>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <functional>

using namespace quorvia;

namespace {

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void run(int people, SizeOption option, int value, const QString &shot)
{
    testing::PoolGenerator generator(20261206);
    const GroupTable table = buildGroups(generator.pool(people, {}), option, value);
    std::printf("%d people in %d groups of %d places (ms)\n", people, table.NumGroups, table.GroupSize);

    GroupArrangement arrangement;
    std::printf("  take the groups (quality and bound)  %9.1f\n", millisecondsOf([&] { arrangement.reset(table); }));
    BoardWindow board(&arrangement);
    std::printf("  open the board (first paint)         %9.1f\n", millisecondsOf([&] {
                    board.showBoard();
                    QApplication::processEvents();
                    board.view()->viewport()->repaint();
                }));
    QScrollBar *bar = board.view()->verticalScrollBar();
    const int pages = 60;
    const double scrolled = millisecondsOf([&] {
        for (int i = 0; i < pages; ++i) {
            bar->setValue(bar->value() + bar->pageStep());
            board.view()->viewport()->repaint();
        }
    });
    std::printf("  scroll one page (mean of %d)         %9.2f\n", pages, scrolled / pages);
    std::printf("  swap two people and repaint          %9.1f\n", millisecondsOf([&] {
                    board.model()->swap({0, 0}, {1, 0});
                    board.view()->viewport()->repaint();
                }));
    int open = table.NumGroups - 1;
    while (open > 0 && arrangement.peopleIn(open) == table.GroupSize)
        --open;
    std::printf("  move a person and repaint            %9.1f\n", millisecondsOf([&] {
                    board.model()->moveToGroup({0, 0}, open);
                    board.view()->viewport()->repaint();
                }));
    std::printf("  undo the move and repaint            %9.1f\n", millisecondsOf([&] {
                    arrangement.undoStack()->undo();
                    board.view()->viewport()->repaint();
                }));
    // As after Improve: the same people in other slots (here every group's
    // people in the mirrored group).
    GroupTable mirrored = arrangement.groups();
    for (int g = 0; g < mirrored.NumGroups; ++g)
        for (int s = 0; s < mirrored.GroupSize; ++s)
            mirrored.at(g, s) = arrangement.groups().at(mirrored.NumGroups - 1 - g, s);
    std::printf("  the same people rearranged (Improve) %9.1f\n", millisecondsOf([&] {
                    arrangement.applyImproved(mirrored, QStringLiteral("Mirror"));
                    board.view()->viewport()->repaint();
                }));
    if (!shot.isEmpty()) {
        bar->setValue(0);
        board.grab().save(shot);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const int shotAt = int(args.indexOf(QStringLiteral("--shot")));
    const QString shot = shotAt > 0 && shotAt + 1 < args.size() ? args[shotAt + 1] : QString();
    run(3998, SizeOption::PeoplePerGroup, 4, shot);
    if (args.contains(QStringLiteral("--large"))) {
        run(32767, SizeOption::AmountOfGroups, 1000, QString());
        run(32767, SizeOption::AmountOfGroups, 10, QString());
    }
    return 0;
}
