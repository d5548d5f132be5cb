// SPDX-License-Identifier: GPL-3.0-or-later
#include "importer/ImportReading.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>

namespace quorvia {

PeopleImport readPeopleCsvWithProgress(QWidget *owner, const QString &path)
{
    CsvProgress progress;
    PeopleImport result;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = readPeopleCsv(path, &progress); }));
    worker->start();

    QElapsedTimer clock;
    clock.start();
    while (!worker->wait(QDeadlineTimer(20)) && clock.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!worker->isFinished()) {
        const qint64 total = std::max<qint64>(1, QFileInfo(path).size());
        QProgressDialog dialog(QObject::tr("Reading %1...").arg(QFileInfo(path).fileName()), QObject::tr("Cancel"),
                               0, 1000, owner);
        dialog.setObjectName(QStringLiteral("dlgImportProgress"));
        dialog.setWindowTitle(QStringLiteral("Quorvia"));
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setMinimumDuration(0);
        dialog.setAutoReset(false);
        dialog.setAutoClose(false);
        QEventLoop loop;
        QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { progress.cancelled.store(true); });
        // Esc rejects the dialog without cancelling it: the read must stop all the same.
        QObject::connect(&dialog, &QDialog::rejected, &dialog, [&] { progress.cancelled.store(true); });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &dialog, [&] {
            // However the dialog was cancelled (its button, Esc, closing it).
            if (dialog.wasCanceled())
                progress.cancelled.store(true);
            if (worker->isFinished())
                loop.quit();
            else if (!dialog.wasCanceled())
                dialog.setValue(int(std::min<qint64>(999, progress.bytesDone.load() * 1000 / total)));
        });
        tick.start(50);
        dialog.show();
        loop.exec();
    }
    worker->wait();
    return result;
}

} // namespace quorvia
