// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PeopleCsv.h"
#include "importer/ImportPreviewDialog.h"
#include "importer/ImportReading.h"
#include "support/PoolFixtures.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

class TestImportFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
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

QTEST_MAIN(TestImportFaults)
#include "tst_import_faults.moc"
