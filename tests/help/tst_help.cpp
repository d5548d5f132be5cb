// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/AboutDialog.h"
#include "help/HelpWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

const QString kSourceDir = qEnvironmentVariable("QUORVIA_SOURCE_DIR");

// Runs a tool: its exit code (-1 when it could not run) and its merged output.
int runTool(const QString &tool, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    const bool finished = process.waitForFinished(300000);
    *output = finished ? QString::fromUtf8(process.readAll()) : tool + ": " + process.errorString();
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { useSeams(); }
    void init() { HelpWindow::setSearchDirectory(QUORVIA_BUILT_HELP_DIR); }

    void helpAndAboutFromTheMenu()
    {
        QVERIFY(writePool(dir.filePath("help.Qvr"), {person("Ann", "Lee")}));
        MainWindow window(dir.filePath("help.Qvr"));
        QVERIFY(window.startUp());
        const auto run = [&window](const char *command) { window.findChild<QAction *>(command)->trigger(); };
        run("mnuTopics");
        auto *help = window.findChild<HelpWindow *>();
        QVERIFY(help && help->isVisible() && help->isWindow() && !QApplication::activeModalWidget());
        auto *tree = help->findChild<QTreeWidget *>("treContents");
        auto *browser = help->findChild<QTextBrowser *>("txtHelp");
        auto *search = help->findChild<QLineEdit *>("txtSearch");
        auto *results = help->findChild<QListWidget *>("lstSearchResults");

        // The contents hold what a user needs to know, sections over their topics; a click shows a topic.
        const auto item = [tree](const QString &title) { return tree->findItems(title, Qt::MatchRecursive).value(0); };
        QCOMPARE(item("What a pool is")->parent(), item("Pools"));
        for (const char *topic : {"What a pool is", "Opening or creating a pool", "Entering profiles",
                                  "The trait rules", "Choosing and calculating groups", "How the chain is built",
                                  "How people are dealt into groups", "Printing the groups", "Exporting the groups",
                                  "Printing the pool", "Messages"})
            QVERIFY2(help->topicTitles().contains(topic) && item(topic), topic);
        QTreeWidgetItem *chain = item("How the chain is built");
        tree->scrollToItem(chain);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(chain).center());
        QCOMPARE(browser->textCursor().block().text().trimmed(), QString("How the chain is built"));
        QVERIFY(browser->verticalScrollBar()->value() > 0);

        // Every word must occur in the topic, in any case; Enter marks the first find.
        QTest::keyClicks(search, "none empty");
        QCOMPARE(results->findItems("Reading the results", Qt::MatchExactly).size(), 1);
        QVERIFY(results->findItems("The 22 traits", Qt::MatchExactly).isEmpty());
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(browser->textCursor().selectedText().toLower(), QString("none"));

        // The about box: modal, centred over the window wherever it is, made once and shown again unchanged.
        for (const QPoint place : {QPoint(120, 80), QPoint(300, 200)}) {
            window.move(place);
            QStringList seen;
            QTimer::singleShot(0, &window, [&] {
                if (QWidget *about = QApplication::activeModalWidget()) {
                    const QPoint offset = about->frameGeometry().center() - window.frameGeometry().center();
                    const QSize logo = about->findChild<QLabel *>("picAbout")->pixmap().size();
                    seen << about->windowTitle() << about->findChild<QLabel *>("lblAbout1")->text()
                         << QString("logo %1x%2").arg(logo.width()).arg(logo.height())
                         << (offset.manhattanLength() <= 4 ? "centred" : "off centre");
                    QTest::mouseClick(about->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
                }
            });
            run("mnuAbout");
            QCOMPARE(seen, (QStringList{"About Quorvia", "Quorvia v. 1.2.6", "logo 200x22", "centred"}));
            QCOMPARE(window.findChildren<AboutDialog *>().size(), 1);
        }

        // Closed by the user, the help opens again at the top, the same window; Exit closes it.
        help->close();
        run("mnuTopics");
        QVERIFY(help->isVisible() && browser->verticalScrollBar()->value() == 0);
        QCOMPARE(window.findChildren<HelpWindow *>().size(), 1);
        run("mnuExit");
        QVERIFY(!help->isVisible() && !window.isVisible());
    }

    void missingHelpIsReportedByTheWindowItself()
    {
        QTemporaryDir empty;
        HelpWindow::setSearchDirectory(empty.path());
        HelpWindow help;
        help.showTopics();
        QVERIFY(help.isVisible() && help.helpFile().isEmpty() && help.topicTitles().isEmpty());
        const QString page = help.findChild<QTextBrowser *>("txtHelp")->toPlainText();
        const QString missing = QDir::toNativeSeparators(empty.filePath("Quorvia.html"));
        QVERIFY2(page.contains(missing) && page.contains("could not be found"), qPrintable(page));
    }

    // The package's contents are checked by scripts/check-package.sh.
    void desktopEntryIsValidAndInstalledWithTheProgram()
    {
        const QString desktop = kSourceDir + "/data/quorvia.desktop";
        const QString entry = QString::fromUtf8(readFile(desktop));
        QVERIFY(entry.contains("\nExec=quorvia %f\n") && entry.contains("\nMimeType=application/x-quorvia-pool;\n"));
        QString output;
        QVERIFY2(runTool("desktop-file-validate", {desktop}, &output) == 0 && output.isEmpty(), qPrintable(output));

        QTemporaryDir prefix;
        const QStringList install{"--install", QUORVIA_BUILD_DIR, "--prefix", prefix.path()};
        QVERIFY2(runTool(QUORVIA_CMAKE_COMMAND, install, &output) == 0, qPrintable(output));
        QCOMPARE(readFile(HelpWindow::candidatePaths(prefix.filePath("bin")).at(1)),
                 readFile(kSourceDir + "/src/help/Quorvia.html"));
        // The install builds the MIME database of that prefix, which maps pool names to the type.
        QVERIFY(readFile(prefix.filePath("share/mime/globs2")).contains("application/x-quorvia-pool:*.qvr"));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
