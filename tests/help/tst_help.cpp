#include "help/AboutDialog.h"
#include "help/HelpWindow.h"
#include "help/Logo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

using namespace quorvia;

namespace {

QString sourceDir() { return qEnvironmentVariable("QUORVIA_SOURCE_DIR"); }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a tool; false when it is not installed.
bool runTool(const QString &tool, const QStringList &arguments, QString *output, int *exitCode)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    *output = QString::fromUtf8(process.readAll());
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return true;
}

QTreeWidgetItem *contentsItem(QTreeWidget *tree, const QString &title)
{
    const auto found = tree->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void init() { HelpWindow::setSearchDirectory(QStringLiteral(QUORVIA_BUILT_HELP_DIR)); }

    void aboutBoxShowsAgainUnchangedAndCentred();
    void helpWindowShowsTopicsAndFindsWords();
    void helpCoversWhatTheUserNeeds();
    void missingHelpIsReportedByTheWindowItself();
    void desktopEntryAndMimeTypeAreValid();
    void installPutsProgramHelpAndDesktopFilesInPlace();
};

void TestHelp::aboutBoxShowsAgainUnchangedAndCentred()
{
    QWidget owner;
    owner.setGeometry(120, 80, 900, 640);
    owner.show();

    AboutDialog about(&owner);
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Quorvia"));

    auto *pic = about.findChild<QLabel *>(QStringLiteral("picAbout"));
    QVERIFY(pic);
    const QImage logo = pic->pixmap().toImage();
    QCOMPARE(logo.size(), QSize(200, 22));
    QSet<QRgb> colours;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            colours.insert(logo.pixel(x, y));
    QVERIFY2(colours.size() > 20, "the logo is drawn, not a plain block");

    auto *lbl1 = about.findChild<QLabel *>(QStringLiteral("lblAbout1"));
    auto *lbl2 = about.findChild<QLabel *>(QStringLiteral("lblAbout2"));
    auto *lbl3 = about.findChild<QLabel *>(QStringLiteral("lblAbout3"));
    auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdOK"));
    QVERIFY(lbl1 && lbl2 && lbl3 && ok);
    QCOMPARE(lbl1->text(), QStringLiteral("Quorvia v. 1.2.6"));
    QVERIFY(!lbl2->text().isEmpty() && !lbl3->text().isEmpty());
    QCOMPARE(ok->text(), QStringLiteral("OK"));

    const QStringList texts{lbl1->text(), lbl2->text(), lbl3->text()};
    for (int round = 0; round < 2; ++round) {
        bool modal = false;
        QPoint centre;
        QStringList shownTexts;
        QTimer::singleShot(0, &about, [&] {
            modal = about.isVisible() && QApplication::activeModalWidget() == &about;
            centre = about.frameGeometry().center();
            shownTexts = {lbl1->text(), lbl2->text(), lbl3->text()};
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        about.showModal();
        QVERIFY(modal);
        QVERIFY(!about.isVisible());
        QCOMPARE(shownTexts, texts);
        const QPoint offset = centre - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("off centre by %1,%2")
                                                               .arg(offset.x())
                                                               .arg(offset.y())));
        owner.move(300, 200);  // the second showing follows the owner
    }
}

void TestHelp::helpWindowShowsTopicsAndFindsWords()
{
    QWidget mainWindow;
    mainWindow.show();
    auto *help = new HelpWindow(&mainWindow);
    help->showTopics();
    QVERIFY(help->isVisible() && help->isWindow());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(help->helpFile(), QDir::cleanPath(QStringLiteral(QUORVIA_BUILT_HELP_DIR "/Quorvia.html")));

    auto *tree = help->findChild<QTreeWidget *>(QStringLiteral("treContents"));
    auto *browser = help->findChild<QTextBrowser *>(QStringLiteral("txtHelp"));
    auto *search = help->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    auto *results = help->findChild<QListWidget *>(QStringLiteral("lstSearchResults"));
    QVERIFY(tree && browser && search && results);
    int items = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++items;
    QCOMPARE(items, help->topicTitles().size());
    QCOMPARE(contentsItem(tree, QStringLiteral("What a pool is"))->parent(),
             contentsItem(tree, QStringLiteral("Pools")));

    QTreeWidgetItem *item = contentsItem(tree, QStringLiteral("How the chain is built"));
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCOMPARE(browser->textCursor().block().text().trimmed(), QStringLiteral("How the chain is built"));
    QVERIFY(browser->verticalScrollBar()->value() > 0);

    // Every word must occur in the topic, in any case; Enter marks the first.
    QTest::keyClicks(search, QStringLiteral("none empty"));
    QStringList found;
    for (int i = 0; i < results->count(); ++i)
        found << results->item(i)->text();
    QVERIFY2(found.contains(QStringLiteral("Reading the results")), qPrintable(found.join(", ")));
    QVERIFY(!found.contains(QStringLiteral("The 22 traits")));
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(browser->textCursor().selectedText().toLower(), QStringLiteral("none"));
    search->clear();
    QTest::keyClicks(search, QStringLiteral("Introvert zebra"));
    QCOMPARE(results->count(), 0);

    // Closed by the user, it opens again at the top.
    help->close();
    help->showTopics();
    QVERIFY(help->isVisible());
    QCOMPARE(browser->verticalScrollBar()->value(), 0);
}

void TestHelp::helpCoversWhatTheUserNeeds()
{
    HelpWindow help;
    help.showTopics();
    const QStringList titles = help.topicTitles();
    for (const char *topic : {"What a pool is", "Opening or creating a pool", "Entering profiles", "The trait rules",
                              "Choosing and calculating groups", "How the chain is built",
                              "How people are dealt into groups", "Printing the groups", "Exporting the groups",
                              "Printing the pool", "Messages"})
        QVERIFY2(titles.contains(QLatin1String(topic)), topic);

    // Every message the program shows word for word is explained under its own words.
    const QString text = help.findChild<QTextBrowser *>(QStringLiteral("txtHelp"))->toPlainText().simplified();
    for (const char *message : {"No profile data has been entered.", "The current profile may have been modified.",
                                "Do you want to save any changes before proceeding?",
                                "Are you sure you wish to delete the current profile?",
                                "already exists. Do you want to replace it?", "Could not open",
                                "could not be exported", "could not be printed"})
        QVERIFY2(text.contains(QLatin1String(message)), message);
    for (const char *trait : {"Creative", "Technical", "Sophisticated", "Unworldly", "Expert", "Beginner"})
        QVERIFY2(text.contains(QLatin1String(trait)), trait);
}

void TestHelp::missingHelpIsReportedByTheWindowItself()
{
    QTemporaryDir empty;
    HelpWindow::setSearchDirectory(empty.path());
    HelpWindow help;
    help.showTopics();
    QVERIFY(help.isVisible());
    QVERIFY(help.helpFile().isEmpty());
    QVERIFY(help.topicTitles().isEmpty());
    const QString page = help.findChild<QTextBrowser *>(QStringLiteral("txtHelp"))->toPlainText();
    QVERIFY2(page.contains(QStringLiteral("Quorvia.html")), qPrintable(page));
    QVERIFY2(page.contains(QDir::toNativeSeparators(empty.filePath(QStringLiteral("Quorvia.html")))), qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("could not be found")));

    // Once the file is back, the next opening shows it.
    QVERIFY(QFile::copy(QStringLiteral(QUORVIA_BUILT_HELP_DIR "/Quorvia.html"), empty.filePath("Quorvia.html")));
    help.close();
    help.showTopics();
    QCOMPARE(help.helpFile(), empty.filePath(QStringLiteral("Quorvia.html")));
    QVERIFY(!help.topicTitles().isEmpty());
}

void TestHelp::desktopEntryAndMimeTypeAreValid()
{
    const QString desktop = sourceDir() + QStringLiteral("/data/quorvia.desktop");
    const QString mime = sourceDir() + QStringLiteral("/data/quorvia.xml");
    const QString entry = QString::fromUtf8(readAll(desktop));
    QVERIFY(entry.contains(QStringLiteral("\nExec=quorvia %f\n")));
    QVERIFY(entry.contains(QStringLiteral("\nMimeType=application/x-quorvia-pool;\n")));
    QVERIFY(readAll(mime).contains("type=\"application/x-quorvia-pool\""));

    QString output;
    int exitCode = 0;
    if (!runTool(QStringLiteral("desktop-file-validate"), {desktop}, &output, &exitCode))
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    QVERIFY2(exitCode == 0 && output.trimmed().isEmpty(), qPrintable(output));

    // The shared MIME database built from our package maps pool names to the type.
    QTemporaryDir data;
    QVERIFY(QDir().mkpath(data.filePath(QStringLiteral("mime/packages"))));
    QVERIFY(QFile::copy(mime, data.filePath(QStringLiteral("mime/packages/quorvia.xml"))));
    if (!runTool(QStringLiteral("update-mime-database"), {data.filePath(QStringLiteral("mime"))}, &output, &exitCode))
        QSKIP("update-mime-database is not installed (Debian package shared-mime-info)");
    QCOMPARE(exitCode, 0);
    QVERIFY(readAll(data.filePath(QStringLiteral("mime/globs2"))).contains("application/x-quorvia-pool:*.qvr"));
}

void TestHelp::installPutsProgramHelpAndDesktopFilesInPlace()
{
    if (!QFile::exists(qEnvironmentVariable("QUORVIA_APP")) || !QFile::exists(qEnvironmentVariable("QUORVIA_CLI")))
        QSKIP("the programs are not built");
    QTemporaryDir prefix;
    QString output;
    int exitCode = 0;
    QVERIFY(runTool(QStringLiteral(QUORVIA_CMAKE_COMMAND),
                    {QStringLiteral("--install"), QStringLiteral(QUORVIA_BUILD_DIR), QStringLiteral("--prefix"),
                     prefix.path()},
                    &output, &exitCode));
    QVERIFY2(exitCode == 0, qPrintable(output));

    const QString bin = prefix.filePath(QStringLiteral("bin"));
    QVERIFY(QFile::exists(bin + QStringLiteral("/quorvia")));
    const QString installedHelp = HelpWindow::candidatePaths(bin).at(1);
    QCOMPARE(readAll(installedHelp), readAll(sourceDir() + QStringLiteral("/src/help/Quorvia.html")));
    QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("share/applications/quorvia.desktop"))));
    QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("share/mime/packages/quorvia.xml"))));
    QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/quorvia.svg"))));
    // The install refreshed the MIME database of that prefix when the tool is there.
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QVERIFY(readAll(prefix.filePath(QStringLiteral("share/mime/globs2"))).contains("application/x-quorvia-pool"));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
