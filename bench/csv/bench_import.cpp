// SPDX-License-Identifier: GPL-3.0-or-later
// Times the import of a CSV file of 32,767 people into an empty pool as a
// user meets it (file dialog choice, reading on the worker thread, the preview
// window shown, Import pressed, the rows appended, the list rebuilt), and the
// parsing and the export alone. Prints its figures; asserts nothing about time.
//
// Run: QT_QPA_PLATFORM=offscreen ./bench_import [folder for the files]

#include "csv/PeopleCsv.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "pool/TraitCatalogue.h"
#include "support/PoolFixtures.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 32767;
constexpr int kRuns = 3;

// Names of varying length, a few accents, three own traits, two liked and one
// disliked, as a survey export might hold them; every 50th row has a problem.
// Hostile: every row has three problems (a name cut, opposites, a trait both
// liked and disliked), so the preview lists about 100,000.
QByteArray makeCsv(bool hostile)
{
    const QStringList &traits = traitCatalogue();
    QByteArray csv = "First name;Last name;Position;Traits;Works well with;Does not work well with\r\n";
    for (int i = 0; i < kRows; ++i) {
        const QString first = (hostile ? QStringLiteral("Zoë-Alexandra%1") : QStringLiteral("Zoë%1")).arg(i);
        const QString last = i % 50 == 7 ? QStringLiteral("Averyverylongsurname%1").arg(i)
                                         : QStringLiteral("Müller%1").arg(i % 977);
        const QString own = (hostile ? QStringLiteral("Introvert; Extrovert; ") : QString()) + traits.at(i % 22)
                          + "; " + traits.at((i * 7) % 22) + " | " + traits.at((i * 13) % 22);
        const QString liked = traits.at((i * 3) % 22) + ";" + traits.at((i * 5 + 1) % 22);
        QString disliked = i % 50 == 3 ? QStringLiteral("Nonsense") : traits.at((i * 11 + 2) % 22);
        if (hostile)
            disliked = traits.at((i * 3) % 22);
        csv += QStringLiteral("%1;%2;\"Clerk, %3\";\"%4\";\"%5\";%6\r\n")
                   .arg(first, last, QString::number(i % 13), own, liked, disliked)
                   .toUtf8();
    }
    return csv;
}

double bestOf(const std::function<void()> &prepare, const std::function<void()> &work)
{
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QString csvPath = folder + "/people.csv";
    const QString poolPath = folder + "/bench.Qvr";
    MessageBox::setTestMode(true);
    for (const bool hostile : {false, true}) {
        const QByteArray csv = makeCsv(hostile);
        writeFile(csvPath, csv);

        PeopleImport parsed;
        const double parse = bestOf([] {}, [&] { parsed = parsePeopleCsv(csv); });

        std::size_t added = 0;
        const double window = bestOf([&] { writePool(poolPath, {}); },
                                     [&] {
                                         MainWindow main(poolPath);
                                         main.LoadPoolList();
                                         main.show();
                                         FileDialog::queueChoice(csvPath);
                                         QTimer poll;
                                         QObject::connect(&poll, &QTimer::timeout, &main, [&] {
                                             auto *preview = main.findChild<QDialog *>("frmImportPreview");
                                             if (preview && preview->isVisible()) {
                                                 poll.stop();
                                                 preview->findChild<QPushButton *>("cmdImport")->click();
                                             }
                                         });
                                         poll.start(1);
                                         main.findChild<QAction *>("mnuImportPeople")->trigger();
                                         added = std::size_t(main.poolList()->itemCount());
                                     });

        std::vector<ProfileRecord> records;
        for (const ImportedRow &row : parsed.rows)
            records.push_back(row.record);
        QByteArray exported;
        const double exporting = bestOf([] {}, [&] { exported = poolCsvBytes(records); });

        std::printf("%sCSV of %d rows, %.1f MB: %zu imported, %d left out, %zu problems listed\n",
                    hostile ? "Hostile " : "", kRows, csv.size() / 1e6, parsed.rows.size(), parsed.rowsLeftOut,
                    parsed.problems.size());
        std::printf("parse and check alone:                       %.3f s\n", parse);
        std::printf("import in the window (read, preview, append, list): %.3f s (%zu in the list)\n", window, added);
        std::printf("export of the imported pool as CSV:          %.3f s\n", exporting);
    }
    return 0;
}
