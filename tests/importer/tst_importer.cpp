// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"
#include "importer/ImportPreviewDialog.h"
#include "importer/ImportReading.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

using namespace quorvia;
using namespace quorvia::testing;

class TestImporter : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    const QByteArray csv = "First name,Last name,Position,Traits\r\n"
                           "Ann,Lee,Clerk,Creative\r\n"
                           "Bob,Ray,,Diligant\r\n"
                           "Maximilianus-Jo,Kay,,\r\n"
                           " zed ,OLD,,\r\n";

    QString path(const char *name) { return dir.filePath(name); }

    // Runs Import People on `csvPath`; `act` gets the preview once it is up.
    void importThrough(MainWindow &window, const QString &csvPath, const std::function<void(QDialog *)> &act)
    {
        FileDialog::queueChoice(csvPath);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &window, [&] {
            auto *preview = window.findChild<QDialog *>("frmImportPreview");
            if (preview && preview->isVisible()) {
                poll.stop();
                act(preview);
            }
        });
        poll.start(5);
        window.findChild<QAction *>("mnuImportPeople")->trigger();
    }

    QString status(MainWindow &window) { return window.statusBar()->currentMessage(); }

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }
    void init()
    {
        QVERIFY(writePool(path("pool.Qvr"), {person("Zed", "Old")}));
        QVERIFY(writeFile(path("people.csv"), csv));
    }

    void previewThenImport()
    {
        MainWindow window(path("pool.Qvr"));
        QVERIFY(window.startUp());
        importThrough(window, path("people"), [](QDialog *preview) {
            auto *table = preview->findChild<QTableView *>("tblPeople");
            QCOMPARE(table->model()->rowCount(), 4);
            QCOMPARE(table->model()->index(2, 1).data().toString(), QString("Maximilianus"));
            QCOMPARE(table->model()->index(3, 7).data().toString(), QString("already in the pool"));
            QCOMPARE(table->model()->index(2, 7).data().toString(), QString());
            QStringList problems;
            auto *list = preview->findChild<QListWidget *>("lstProblems");
            for (int i = 0; i < list->count(); ++i)
                problems << list->item(i)->text();
            QCOMPARE(problems.size(), 2);
            QVERIFY(problems[0].startsWith("Line 3 (changed): Unknown trait \"Diligant\" in Traits is left out")
                    && problems[0].contains("did you mean \"Diligent\"?"));
            QVERIFY(problems[1].startsWith("Line 4 (changed): First name")
                    && problems[1].contains("\"Maximilianus|-Jo\""));
            // The person already in the pool comes in only when asked for.
            auto *import = preview->findChild<QPushButton *>("cmdImport");
            auto *duplicates = preview->findChild<QCheckBox *>("chkImportDuplicates");
            QVERIFY(duplicates->isVisible() && !duplicates->isChecked());
            QCOMPARE(import->text(), QString("Import 3 People"));
            QTest::mouseClick(duplicates, Qt::LeftButton);
            QCOMPARE(import->text(), QString("Import 4 People"));
            QTest::mouseClick(duplicates, Qt::LeftButton);
            QVERIFY(preview->findChild<QLabel *>("lblSummary")->text().contains("1 person is already in the pool"));
            QTest::mouseClick(import, Qt::LeftButton);
        });
        QCOMPARE(readFile(path("pool.Qvr")),
                 poolBytes({person("Zed", "Old"), withTraits(person("Ann", "Lee", "Clerk"), {0}), person("Bob", "Ray"),
                            person("Maximilianus", "Kay")}));
        QCOMPARE(window.poolList()->itemCount(), 4);
        QCOMPARE(status(window),
                 QString("Imported 3 people from people.csv; 0 rows left out, 1 person already in the pool."));
    }

    // Cancel in the preview, and an append that fails, both leave the pool as it was.
    void nothingWritten_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("cancel") << false;
        QTest::newRow("disk full") << true;
    }
    void nothingWritten()
    {
        QFETCH(bool, diskFull);
        const QByteArray before = readFile(path("pool.Qvr"));
        MainWindow window(path("pool.Qvr"));
        QVERIFY(window.startUp());
        if (diskFull)
            MessageBox::queueAnswer(MessageBox::Ok);
        {
            FileSizeLimit limit(diskFull ? before.size() + 100 : 1 << 30);
            importThrough(window, path("people.csv"), [diskFull](QDialog *preview) {
                if (diskFull)
                    QTest::mouseClick(preview->findChild<QPushButton *>("cmdImport"), Qt::LeftButton);
                else
                    QTest::keyClick(preview, Qt::Key_Escape);
            });
        }
        QCOMPARE(readFile(path("pool.Qvr")), before);
        QCOMPARE(window.poolList()->itemCount(), 1);
        if (diskFull) {
            QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
            QVERIFY(MessageBox::shownBoxes()[0].text.contains("File too large"));
        } else {
            QCOMPARE(status(window), QString("Import of people.csv cancelled; nothing was written."));
        }
    }

    void exports()
    {
        MainWindow window(path("pool.Qvr"));
        QVERIFY(window.startUp());
        FileDialog::queueChoice(path("pool-out"));
        window.findChild<QAction *>("mnuExportPoolCsv")->trigger();
        QCOMPARE(readFile(path("pool-out.csv")), poolCsvBytes({person("Zed", "Old")}));
        QVERIFY(status(window).startsWith("Exported 1 person to "));

        // Export offers text alone and writes the text document whatever the name; CSV has its own command.
        QCOMPARE(window.findChild<FileDialog *>("dlgExport")->filters(), QStringList({"Text (*.txt)"}));
        FileDialog::queueChoice(path("typed.csv"));
        window.ExportGroups();
        QCOMPARE(readFile(path("typed.csv")), QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n"));
        FileDialog::queueChoice(path("groups"));
        window.findChild<QAction *>("mnuExportGroupsCsv")->trigger();
        QCOMPARE(window.findChild<FileDialog *>("dlgExportGroupsCsv")->title(), QString("Export Groups as CSV"));
        QCOMPARE(readFile(path("groups.csv")),
                 QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,"
                            "Pool\r\n"));
    }

    // The preview says how the file was read, and offers Import only when
    // there is somebody to import.
    void previewTellsWhatWillHappen_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("importable");
        QTest::newRow("commas") << QByteArray("Last name,Traits\nLee,Creative\n") << "commas" << true;
        QTest::newRow("semicolons") << QByteArray("Last name;Traits\nLee;Creative\n") << "semicolons" << true;
        QTest::newRow("TABs") << QByteArray("Last name\tTraits\nLee\tCreative\n") << "TABs" << true;
        QTest::newRow("every row left out") << QByteArray("Last name;Traits\n;Creative\nRay\x01;\n")
                                            << "semicolons" << false;
    }
    void previewTellsWhatWillHappen()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, separator);
        QFETCH(bool, importable);
        const PeopleImport import = parsePeopleCsv(csv);
        QVERIFY2(import.failure.isEmpty(), qPrintable(import.failure));
        ImportPreviewDialog preview(import, dir.filePath("people.csv"), nullptr);
        const QString summary = preview.findChild<QLabel *>("lblSummary")->text();
        for (const QString &name : {QStringLiteral("commas"), QStringLiteral("semicolons"), QStringLiteral("TABs")})
            QVERIFY2(summary.contains(name) == (name == separator), qPrintable(summary));
        auto *importButton = preview.findChild<QPushButton *>("cmdImport");
        QCOMPARE(importButton->isEnabled(), importable);
        preview.show();
        QTest::mouseClick(importButton, Qt::LeftButton);
        QCOMPARE(preview.result(), importable ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }

    // However the progress of a long read is closed, the read stops and
    // nothing is imported.
    void closingTheProgressStopsTheRead_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("close") << "close";
    }
    void closingTheProgressStopsTheRead()
    {
        QFETCH(QString, how);
        const QString path = dir.filePath("long.csv");
        if (!QFile::exists(path)) {
            // Long enough that the read outlasts the half second before the
            // progress shows, on any machine: blank rows cost work, not memory.
            QByteArray rows("First name,Last name\r\n");
            rows += QByteArray(",\r\n").repeated(int(kMaxPeopleCsvBytes / 4 / 3));
            QVERIFY(writeFile(path, rows));
        }
        QWidget owner;
        owner.show();
        bool shown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *progress = owner.findChild<QProgressDialog *>("dlgImportProgress");
            if (!progress || !progress->isVisible())
                return;
            poll.stop();
            shown = true;
            if (how == "Cancel")
                QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
            else if (how == "Esc")
                QTest::keyClick(progress, Qt::Key_Escape);
            else
                progress->close();
        });
        poll.start(10);
        const PeopleImport import = readPeopleCsvWithProgress(&owner, path);
        QVERIFY2(shown, "the read ended before its progress showed");
        QVERIFY(import.cancelled);
        QVERIFY(import.rows.empty());
    }
};

QTEST_MAIN(TestImporter)
#include "tst_importer.moc"
