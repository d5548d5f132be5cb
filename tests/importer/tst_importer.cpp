#include "csv/PeopleCsv.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"

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
                           "Maximilianus-Jo,Kay,,\r\n";

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
    void init()
    {
        MessageBox::setTestMode(true);
        MessageBox::clearShownBoxes();
        QVERIFY(writePool(path("pool.Qvr"), {person("Zed", "Old")}));
        QVERIFY(writeFile(path("people.csv"), csv));
    }

    void previewThenImport()
    {
        MainWindow window(path("pool.Qvr"));
        QVERIFY(window.startUp());
        importThrough(window, path("people"), [](QDialog *preview) {
            auto *table = preview->findChild<QTableView *>("tblPeople");
            QCOMPARE(table->model()->rowCount(), 2);
            QCOMPARE(table->model()->index(1, 1).data().toString(), QString("Maximilianus"));
            QStringList problems;
            auto *list = preview->findChild<QListWidget *>("lstProblems");
            for (int i = 0; i < list->count(); ++i)
                problems << list->item(i)->text();
            QCOMPARE(problems.size(), 2);
            QVERIFY(problems[0].startsWith("Line 3 (left out): Unknown trait \"Diligant\"")
                    && problems[0].contains("did you mean \"Diligent\"?"));
            QVERIFY(problems[1].startsWith("Line 4 (changed): First name")
                    && problems[1].contains("\"Maximilianus|-Jo\""));
            auto *import = preview->findChild<QPushButton *>("cmdImport");
            QCOMPARE(import->text(), QString("Import 2 People"));
            QTest::mouseClick(import, Qt::LeftButton);
        });
        QCOMPARE(readFile(path("pool.Qvr")),
                 poolBytes({person("Zed", "Old"), withTrait(person("Ann", "Lee", "Clerk")),
                            person("Maximilianus", "Kay")}));
        QCOMPARE(window.poolList()->itemCount(), 3);
        QCOMPARE(status(window), QString("Imported 2 people from people.csv; 1 row left out."));
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

        // The groups export: text stays the default, CSV is the second file type.
        auto *dialog = window.findChild<FileDialog *>("dlgExport");
        QCOMPARE(dialog->filters(), QStringList({"Text (*.txt)", "CSV (*.csv)"}));
        FileDialog::queueChoice(path("groups"), 1);
        window.ExportGroups();
        QCOMPARE(readFile(path("groups.csv")),
                 QByteArray("\xEF\xBB\xBFGroup,Slot,First name,Last name,Position,Score,Record,Pinned,Group pinned,"
                            "Pool\r\n"));
    }

private:
    static ProfileRecord withTrait(ProfileRecord r)
    {
        r.OwnAttributes[0] = kTrue;
        return r;
    }
};

QTEST_MAIN(TestImporter)
#include "tst_importer.moc"
