// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/ImproveRun.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/GroupDescriptions.h"
#include "arrangement/PoolRules.h"
#include "grouping/GroupImprover.h"
#include "rounds/ImproveConditions.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace quorvia {
QString improveArrangement(QWidget *parent, GroupArrangement &arrangement, bool evenSizes)
{
    if (!arrangement.hasGroups())
        return QApplication::translate("Improve", "There are no groups to improve: press Calculate first.");
    // The progress loop still takes shortcuts and clicks until its dialog shows.
    static bool running = false;
    if (running)
        return QApplication::translate("Improve", "Improve is running already.");
    struct Running {
        Running() { running = true; }
        ~Running() { running = false; }
    } runningNow;

    const GroupTable start = arrangement.groups();
    ImproveOptions options = arrangement.improveOptions(evenSizes);
    ImproveConditions conditions(start, arrangement.rules()->penaltyFor(start), arrangement.createPenalty());
    options.penalty = conditions.penalty();
    options.liftWeakest = arrangement.rules()->rules().liftWeakest;
    const unsigned long long revision = arrangement.revision();
    const long long before = arrangement.report().total.score;

    std::atomic<long long> done{0};
    std::atomic<long long> total{0};
    std::atomic<bool> cancel{false};
    ImproveResult result;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        result = improveGroups(start, options, [&](long long workDone, long long workTotal) {
            done = workDone;
            total = workTotal;
            return !cancel.load();
        });
    }));

    QProgressDialog progress(QApplication::translate("Improve", "Improving the groups..."),
                             QApplication::translate("Improve", "Cancel"), 0, 1000, parent);
    progress.setWindowTitle(QStringLiteral("Quorvia"));
    progress.setObjectName(QStringLiteral("dlgImproveProgress"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        cancel = true;
        progress.setLabelText(QApplication::translate("Improve", "Stopping: keeping the best groups found so far..."));
    });
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, &progress, [&] {
        if (progress.wasCanceled())
            cancel = true;
        const long long whole = total.load();
        if (whole > 0 && !cancel.load())
            progress.setValue(int(std::min<long long>(999, done.load() * 1000 / whole)));
    });

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    progress.setValue(0);
    worker->start();
    ticker.start();
    loop.exec();
    // The loop also ends when the program quits: stop the search instead of
    // waiting out its whole budget (harmless when it has finished).
    cancel = true;
    worker->wait();
    ticker.stop();
    QApplication::restoreOverrideCursor();
    // The window Improve was started from gets the keyboard back (Ctrl+Z
    // straight away), unless the user went elsewhere meanwhile; also after
    // Cancel, which hides the dialog before this point.
    const bool dialogActive = QApplication::activeWindow() == &progress;
    progress.hide();
    if (dialogActive && parent)
        parent->window()->activateWindow();

    // Another step (a Calculate, a move) may have come in before the dialog showed.
    if (arrangement.revision() != revision)
        return QApplication::translate("Improve", "The groups changed while Improve ran; its result was set aside.");

    const QString name = evenSizes ? QApplication::translate("Improve", "Improve (Even Sizes)")
                                   : QApplication::translate("Improve", "Improve");
    const bool changed = arrangement.applyImproved(result.groups, name);
    const QualityReport &report = arrangement.report();
    const QString percentText = bestPossibleWords(report.total.score, arrangement.bestPossible());
    if (result.cancelled && !changed)
        return QApplication::translate("Improve", "Improve cancelled before it found better groups; they are as they were.");
    if (result.cancelled)
        return QApplication::translate("Improve", "Improve cancelled; kept the best groups found so far: total score %1 to %2; %3.")
            .arg(before).arg(report.total.score).arg(percentText);
    if (!changed)
        return QApplication::translate("Improve", "Improve found no better groups: total score %1; %2.")
            .arg(before).arg(percentText);
    // Spreading to even sizes may cost score; the message must not claim a gain then.
    if (evenSizes)
        return QApplication::translate("Improve", "Evened the group sizes and improved the groups: total score %1 to %2; %3.")
            .arg(before).arg(report.total.score).arg(percentText);
    return QApplication::translate("Improve", "Improved the groups: total score %1 to %2; %3.")
        .arg(before).arg(report.total.score).arg(percentText);
}

} // namespace quorvia
