// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

#include <numeric>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The groups of the worked example: two groups of three slots.
GroupTable exampleGroups()
{
    return {2, 3, {person("Anna", "Smith", "Manager"), person("", "Brown"), person("Carl", "Lee"),
                   person("Eva", "Diaz", "Clerk"), person("", "", "Driver"), ProfileRecord()}};
}

const QByteArray kHeading = "Quorvia\r\n\r\n\r\nGroups\r\n";
const QByteArray kExampleExport = kHeading + "\r\n\r\nGroup 1\r\n\r\nSmith, Anna (Manager)\r\nBrown\r\nLee, Carl\r\n"
                                             "\r\n\r\nGroup 2\r\n\r\nDiaz, Eva (Clerk)\r\n (Driver)\r\nNONE\r\n";

QStringList nonBlank(const QStringList &lines)
{
    QStringList kept;
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            kept << line.trimmed();
    return kept;
}

// The text of a PDF as pdftotext reads it: page by page, the lines trimmed, blank ones dropped.
QList<QStringList> pdfSheets(const QString &path)
{
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    process.waitForFinished(60000);
    QList<QStringList> sheets;
    for (const QString &sheet : QString::fromUtf8(process.readAllStandardOutput()).split('\f', Qt::SkipEmptyParts))
        sheets << nonBlank(sheet.split('\n'));
    return sheets;
}

// What the user sees of the open pool: path, captions, results, editor, and the list with its ticks.
QStringList state(MainWindow &window)
{
    QStringList seen{window.poolPath(), window.windowTitle(), window.findChild<QGroupBox *>("fraSelect")->title(),
                     window.findChild<QPlainTextEdit *>("txtGroups")->toPlainText(),
                     window.profilesWindow()->poolPath(), window.profilesWindow()->windowTitle()};
    for (int i = 0; i < window.poolList()->itemCount(); ++i)
        seen << (window.poolList()->isTicked(i) ? "+" : "-") + window.poolList()->itemText(i);
    return seen;
}

// Clicks the button or triggers the menu command of that name.
void run(MainWindow &window, const QString &name)
{
    if (auto *button = window.findChild<QPushButton *>(name))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        window.findChild<QAction *>(name)->trigger();
}

// Runs `command` on `target` (a file to choose, or a PDF to print into), which must fail
// with one message naming the file and the reason.
void failsWith(MainWindow &window, const QString &command, const QString &target, const QString &reason)
{
    MessageBox::clearShownBoxes();
    if (command.contains("Print"))
        LinePrinter::queuePdf(target);
    else
        FileDialog::queueChoice(target);
    MessageBox::queueAnswer(MessageBox::Ok);
    run(window, command);
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
    const QString text = MessageBox::shownBoxes().front().text;
    QVERIFY2(text.contains(target) && text.contains(reason), qPrintable(text));
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }
    QString pool(const QString &name, const std::vector<ProfileRecord> &records)
    {
        writePool(path(name), records);
        return path(name);
    }

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }

    void realOpenDialogTakesANewName()
    {
        // Outside test mode Qt's own dialog shows: type a name that does not exist yet, as a user would.
        FileDialog::setTestMode(false);
        FileDialog open(nullptr, FileDialog::Mode::Open, "Open/New Pool", "Quorvia (*.Qvr)", "Qvr");
        QString shown;
        QTimer::singleShot(0, &open, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                shown = dialog->windowTitle() + " | " + dialog->nameFilters().join(";");
                dialog->setDirectory(dir.path());
                QTest::keyClicks(dialog->findChild<QLineEdit *>("fileNameEdit"), "Brand\r");
                if (dialog->isVisible())
                    dialog->reject();  // it refused the name
            }
        });
        const bool chosen = open.exec();
        FileDialog::setTestMode(true);
        QCOMPARE(shown, QString("Open/New Pool | Quorvia (*.Qvr)"));
        QVERIFY2(chosen, "a name that does not exist yet is a new pool");
        QCOMPARE(open.fileName(), path("Brand.Qvr"));
    }

    void openingOrCreatingAPool()
    {
        const QString first = pool("first.Qvr", {person("Ann", "Lee"), person("Bob", "Ray")});
        const QString second = pool("second.Qvr", {person("Cy", "Zed"), person("Di", "Adams", "Clerk")});
        QVERIFY(QDir().mkpath(path("folder.Qvr")));
        MainWindow window(first);
        QVERIFY(window.startUp());
        window.Groups = exampleGroups();
        window.poolList()->setTicked(1, true);
        window.findChild<QPlainTextEdit *>("txtGroups")->setPlainText("Group 1");
        const QStringList before = state(window);
        QCOMPARE(before.at(2), QString("Select (1 Selected)"));

        // A cancel, or a file that cannot be opened, leaves the former pool in force, ticks and all.
        FileDialog::queueCancel();
        run(window, "mnuOpenNewPool");
        QCOMPARE(state(window), before);
        failsWith(window, "mnuOpenNewPool", path("no-such-folder/lost.Qvr"), "No such file or directory");
        QVERIFY(MessageBox::shownBoxes().front().text.contains(first));
        failsWith(window, "mnuOpenNewPool", path("folder.Qvr"), "folder");
        QCOMPARE(state(window), before);

        FileDialog::queueChoice(second);
        run(window, "mnuOpenNewPool");
        QCOMPARE(FileDialog::shownDialogs().back().title, QString("Open/New Pool"));
        QCOMPARE(state(window), (QStringList{second, "Quorvia - " + second, "Select (0 Selected)", "", second,
                                             "Profiles - 1 (2 Saved)", "-Adams, Di (Clerk)", "-Zed, Cy"}));
        QCOMPARE(window.Groups.slotRecords.size(), std::size_t(6));  // the last Calculate's groups are kept

        // A name that does not exist yet is a new, empty pool, and the editor shows at once.
        const QString crew = path("Crew.Qvr");
        QString editorCaption;
        QTimer::singleShot(0, &window, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                editorCaption = modal->windowTitle();
                modal->close();
            }
        });
        FileDialog::queueChoice(path("Crew"));  // typed without its suffix
        run(window, "mnuOpenNewPool");
        QCOMPARE(editorCaption, QString("Profiles - 1 (0 Saved)"));
        QVERIFY(QFileInfo(crew).isFile() && QFileInfo(crew).size() == 0);
        QCOMPARE(state(window), (QStringList{crew, "Quorvia - " + crew, "Select (0 Selected)", "", crew,
                                             "Profiles - 1 (0 Saved)"}));
    }

    void exportAsksBeforeReplacingAndReportsFailures()
    {
        MainWindow window(pool("export.Qvr", {person("Ann", "Lee")}));
        QVERIFY(window.startUp());

        // Before any Calculate: the heading alone, under the default suffix, in the pool's folder.
        FileDialog::queueChoice(path("none"));
        run(window, "cmdExport");
        QCOMPARE(FileDialog::shownDialogs().back().title, QString("Export Groups As"));
        QCOMPARE(FileDialog::shownDialogs().back().folder, dir.path());
        QCOMPARE(readFile(path("none.txt")), kHeading);

        // Over an existing file: No goes back to the dialog with that name, Yes replaces it whole.
        window.Groups = exampleGroups();
        const QString groups = path("groups.txt");
        writeFile(groups, QByteArray(4000, 'x'));
        for (const auto answer : {MessageBox::No, MessageBox::Yes}) {
            FileDialog::queueChoice(groups);
            MessageBox::queueAnswer(answer);
        }
        run(window, "mnuExportGroups");
        QCOMPARE(readFile(groups), kExampleExport);
        QCOMPARE(window.statusBar()->currentMessage(), QString("Exported 2 groups to groups.txt."));
        QCOMPARE(FileDialog::shownDialogs().at(1).initialName, path("none.txt"));  // the last choice
        QCOMPARE(FileDialog::shownDialogs().at(2).initialName, groups);            // the refused one
        QCOMPARE(MessageBox::shownBoxes().front().style, MessageBox::Style::QuestionDefaultNo);
        QVERIFY(MessageBox::shownBoxes().front().text.contains(groups));
        QCOMPARE(QDir(dir.path()).entryList({"groups*"}, QDir::Files | QDir::Hidden), QStringList{"groups.txt"});

        // A failure is reported and spoils nothing: a pipe in the file's place stays as it was.
        QVERIFY(QProcess::execute("mkfifo", {path("pipe.txt")}) == 0);
        failsWith(window, "cmdExport", path("gone/groups.txt"), "No such file");
        failsWith(window, "cmdExport", path("pipe.txt"), "pipe");
        QVERIFY(!QFileInfo(path("pipe.txt")).isFile());

        // Nor is the open pool ever overwritten by an export, under any name.
        const QByteArray poolBytesBefore = readFile(window.poolPath());
        QVERIFY(QFile::link(window.poolPath(), path("link.txt")));
        // Refused at once: no "replace?" question comes first, for either groups export.
        for (const char *command : {"cmdExport", "mnuExportGroupsCsv"}) {
            MessageBox::clearShownBoxes();
            FileDialog::queueChoice(path("link.txt"));
            MessageBox::queueAnswer(MessageBox::Ok);
            run(window, command);
            QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
            QVERIFY(MessageBox::shownBoxes().back().text.contains(QStringLiteral("is the pool file")));
            QCOMPARE(readFile(window.poolPath()), poolBytesBefore);
        }
    }

    void bothDocumentsPrintIntoPdf()
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                 "pdftotext is not installed (Debian package poppler-utils)");
        // The pool in record order, a blank record as an empty line; long enough to run over pages.
        std::vector<ProfileRecord> people{person("", "Zed"), person("Ann", "Adams", "Clerk"), ProfileRecord()};
        QStringList poolLines{"Quorvia", "", "", "Pool", "", "Zed", "Adams, Ann (Clerk)", ""};
        for (int i = 1; i <= 400; ++i) {
            people.push_back(person(QString("First%1").arg(i), QString("Last%1").arg(i)));
            poolLines << QString("Last%1, First%1").arg(i);
        }
        MainWindow window(pool("print.Qvr", people));
        QVERIFY(window.startUp());
        window.Groups = exampleGroups();
        const QStringList groupsLines = QString::fromLatin1(kExampleExport).chopped(2).split("\r\n");

        const std::pair<QString, QStringList> documents[]{{"cmdPrint", groupsLines}, {"mnuPrintPool", poolLines}};
        QList<QStringList> sheets;
        for (const auto &[command, lines] : documents) {
            LinePrinter::queuePdf(path(command + ".pdf"));
            run(window, command);
            QCOMPARE(LinePrinter::printedDocuments().back(), lines);
            // Line under line, page after page, and nothing else: no header, footer or page number.
            sheets = pdfSheets(path(command + ".pdf"));
            QCOMPARE(std::accumulate(sheets.begin(), sheets.end(), QStringList()), nonBlank(lines));
            QVERIFY(command != "cmdPrint" || sheets.size() == 1);
            QVERIFY(command != "cmdPrint" || window.statusBar()->currentMessage() == "Printed 1 page.");
        }
        // 408 lines at 10 points (about 6 to the inch) fill 6 to 11 pages of any paper, each but the last full.
        QVERIFY2(sheets.size() >= 6 && sheets.size() <= 11, qPrintable(QString::number(sheets.size())));
        QCOMPARE(sheets.size(), (poolLines.size() + sheets.at(1).size() - 1) / sheets.at(1).size());

        // A cancelled dialog prints nothing and says nothing; a failed job is reported.
        LinePrinter::queueCancel();
        run(window, "cmdPrint");
        QVERIFY(MessageBox::shownBoxes().empty());
        failsWith(window, "mnuPrintPool", path("no-such-folder/out.pdf"), "could not be printed");
    }

    // A change of the groups leaves the box where the user scrolled it; only
    // new groups start at the top.
    void groupsBoxKeepsItsPlace()
    {
        std::vector<ProfileRecord> people;
        for (int i = 0; i < 59; ++i)
            people.push_back(person(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i)));
        MainWindow window(pool("many.Qvr", people));
        QVERIFY(window.startUp());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        calculateGroups(window, "2");  // 30 groups, the last with a free place
        auto *scroll = window.findChild<QPlainTextEdit *>("txtGroups")->verticalScrollBar();
        QVERIFY(scroll->maximum() > 20);
        const int place = scroll->maximum() / 2;
        scroll->setValue(place);
        QVERIFY(window.arrangement()->moveToGroup({0, 0}, 29).isEmpty());
        QCOMPARE(scroll->value(), place);
        QVERIFY(window.arrangement()->swap({1, 0}, {2, 1}).isEmpty());
        QCOMPARE(scroll->value(), place);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(scroll->value(), place);
        MessageBox::queueAnswer(MessageBox::Discard);  // lose the moved groups
        calculateGroups(window, "3");
        QCOMPARE(scroll->value(), 0);
    }

    // Printing the groups hands them out as exporting does: a new Calculate
    // no longer asks. Printing the pool does not.
    void handingOutClearsTheMark_data()
    {
        QTest::addColumn<QString>("command");  // what is done after a move
        QTest::addColumn<bool>("asks");        // whether Calculate then asks first
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("print") << "cmdPrint" << false;
        QTest::newRow("print cancelled") << "cmdPrint cancelled" << true;
        QTest::newRow("export") << "cmdExport" << false;
        QTest::newRow("print pool") << "mnuPrintPool" << true;
    }
    void handingOutClearsTheMark()
    {
        QFETCH(QString, command);
        QFETCH(bool, asks);
        MainWindow window(pool("four.Qvr", {person("Ann", "Lee"), person("Bob", "Ray"), person("Cy", "Oz")}));
        QVERIFY(window.startUp());
        calculateGroups(window, "2");
        QVERIFY(window.arrangement()->moveToGroup({0, 0}, 1).isEmpty());
        const GroupTable moved = window.Groups;
        if (command == "cmdPrint cancelled")
            LinePrinter::queueCancel();
        else if (command.contains("Print"))
            LinePrinter::queuePdf(path("out.pdf"));
        else if (command == "cmdExport")
            FileDialog::queueChoice(path("handed.txt"));
        if (!command.isEmpty())
            run(window, command.section(' ', 0, 0));
        if (asks)
            MessageBox::queueAnswer(MessageBox::No);
        calculateGroups(window, "2");
        QCOMPARE(int(MessageBox::shownBoxes().size()), asks ? 1 : 0);
        QCOMPARE(window.Groups.slotRecords == moved.slotRecords, asks);
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
