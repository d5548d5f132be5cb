#include "help/AboutDialog.h"
#include "help/HelpWindow.h"
#include "mainwindow/FileDialog.h"
#include "mainwindow/LinePrinter.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "support/PoolFixtures.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The groups of the worked example: two groups of three slots.
GroupTable exampleGroups()
{
    GroupTable groups;
    groups.NumGroups = 2;
    groups.GroupSize = 3;
    groups.slotRecords = {person("Anna", "Smith", "Manager"), person("", "Brown"), person("Carl", "Lee"),
                    person("Eva", "Diaz", "Clerk"), person("", "", "Driver"), ProfileRecord()};
    return groups;
}

const QByteArray kExampleExport = "Quorvia\r\n\r\n\r\nGroups\r\n"
                                  "\r\n\r\nGroup 1\r\n\r\nSmith, Anna (Manager)\r\nBrown\r\nLee, Carl\r\n"
                                  "\r\n\r\nGroup 2\r\n\r\nDiaz, Eva (Clerk)\r\n (Driver)\r\nNONE\r\n";

int pdfPageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++count;
    return count;
}

QString pdfText(const QString &path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Runs `check` once the next modal window is up (it must close that window).
// The timer dies with the caller's scope, so it never fires in a later test.
struct WhenModal {
    QTimer timer;
    bool ran = false;
    explicit WhenModal(std::function<void(QWidget *)> check)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this, check] {
            ran = true;
            check(QApplication::activeModalWidget());
        });
        timer.start(0);
    }
};

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString pool(const QString &name, const std::vector<ProfileRecord> &records)
    {
        const QString path = dir.filePath(name);
        writePool(path, records);
        return path;
    }
    static QString selectCaption(MainWindow &window)
    {
        return window.findChild<QGroupBox *>(QStringLiteral("fraSelect"))->title();
    }
    static QPlainTextEdit *results(MainWindow &window)
    {
        return window.findChild<QPlainTextEdit *>(QStringLiteral("txtGroups"));
    }
    static void trigger(MainWindow &window, const char *action)
    {
        window.findChild<QAction *>(QLatin1String(action))->trigger();
    }
    static void click(MainWindow &window, const char *button)
    {
        QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        MessageBox::setTestMode(true);
        FileDialog::setTestMode(true);
        LinePrinter::setTestMode(true);
        HelpWindow::setSearchDirectory(QStringLiteral(QUORVIA_BUILT_HELP_DIR));
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::pendingAnswers(), 0);
        QCOMPARE(FileDialog::pendingChoices(), 0);
        QCOMPARE(LinePrinter::pendingJobs(), 0);
        MessageBox::clearShownBoxes();
        FileDialog::clearShownDialogs();
        LinePrinter::clearPrintedDocuments();
    }

    void fileDialogRemembersAndAsksBeforeReplacing();
    void realDialogsTakeATypedName();
    void openingAPoolBringsEverythingToIt();
    void creatingAPoolOpensTheEditorAtOnce();
    void cancelledOrFailedOpenKeepsTheFormerPool();
    void exportWritesTheGroupsDocument();
    void exportFailuresAreReportedAndHarmless();
    void groupsAndPoolPrintIntoPdf();
    void longPoolRunsOverPages();
    void printingCanBeCancelledAndFailuresAreReported();
    void helpIsModelessAndClosesAtExit();
    void aboutBoxIsMadeOnce();
};

void TestFiles::fileDialogRemembersAndAsksBeforeReplacing()
{
    FileDialog dialog(nullptr, FileDialog::Mode::Save, QStringLiteral("Export Groups As"),
                      QStringLiteral("Text (*.txt)"), QStringLiteral("txt"));
    const QString existing = dir.filePath(QStringLiteral("taken.txt"));
    writeFile(existing, "old");

    // No: back to the dialog, which offers the refused name; then a new name.
    FileDialog::queueChoice(dir.filePath(QStringLiteral("taken")));
    MessageBox::queueAnswer(MessageBox::No);
    FileDialog::queueChoice(dir.filePath(QStringLiteral("fresh")));
    QVERIFY(dialog.exec());
    QCOMPARE(dialog.fileName(), dir.filePath(QStringLiteral("fresh.txt")));
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
    QCOMPARE(MessageBox::shownBoxes().front().style, MessageBox::Style::QuestionDefaultNo);
    QVERIFY(MessageBox::shownBoxes().front().text.contains(existing));
    QCOMPARE(FileDialog::shownDialogs().back().initialName, existing);

    // Cancel keeps the remembered name, which the next showing offers.
    FileDialog::queueCancel();
    QVERIFY(!dialog.exec());
    QCOMPARE(dialog.fileName(), dir.filePath(QStringLiteral("fresh.txt")));
    FileDialog::queueChoice(existing);
    MessageBox::queueAnswer(MessageBox::Yes);
    QVERIFY(dialog.exec());
    QCOMPARE(FileDialog::shownDialogs().back().initialName, dir.filePath(QStringLiteral("fresh.txt")));
    QCOMPARE(dialog.fileName(), existing);
    QCOMPARE(readFile(existing), QByteArray("old"));  // the dialog itself writes nothing

    // Opening an existing file never asks anything.
    FileDialog open(nullptr, FileDialog::Mode::Open, QStringLiteral("Open/New Pool"),
                    QStringLiteral("Quorvia (*.Qvr)"), QStringLiteral("Qvr"));
    FileDialog::queueChoice(existing);
    QVERIFY(open.exec());
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(2));
}

void TestFiles::realDialogsTakeATypedName()
{
    // Outside test mode the seam shows Qt's own dialog; type into it as a user would.
    FileDialog::setTestMode(false);
    const QString former = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    auto typeAndConfirm = [](const QString &name, QString *title) {
        return new WhenModal([name, title](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog)
                return;
            *title = dialog->windowTitle();
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            edit->clear();
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->reject();  // it refused the name
        });
    };

    FileDialog open(nullptr, FileDialog::Mode::Open, QStringLiteral("Open/New Pool"),
                    QStringLiteral("Quorvia (*.Qvr)"), QStringLiteral("Qvr"));
    QString title;
    std::unique_ptr<WhenModal> typing(typeAndConfirm(QStringLiteral("Brand"), &title));
    const bool opened = open.exec();
    QVERIFY(typing->ran);
    QCOMPARE(title, QStringLiteral("Open/New Pool"));
    QVERIFY2(opened, "a name that does not exist yet is a new pool");
    QCOMPARE(open.fileName(), dir.filePath(QStringLiteral("Brand.Qvr")));

    // The save dialog leaves the replace question to the seam, asked once.
    writeFile(dir.filePath(QStringLiteral("report.txt")), "old");
    FileDialog save(nullptr, FileDialog::Mode::Save, QStringLiteral("Export Groups As"),
                    QStringLiteral("Text (*.txt)"), QStringLiteral("txt"));
    MessageBox::queueAnswer(MessageBox::Yes);
    typing.reset(typeAndConfirm(QStringLiteral("report"), &title));
    const bool saved = save.exec();
    QDir::setCurrent(former);
    FileDialog::setTestMode(true);
    QVERIFY(typing->ran);
    QVERIFY(saved);
    QCOMPARE(save.fileName(), dir.filePath(QStringLiteral("report.txt")));
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
}

void TestFiles::openingAPoolBringsEverythingToIt()
{
    const QString first = pool(QStringLiteral("first.Qvr"), {person("Ann", "Lee"), person("Bob", "Ray")});
    const QString second = pool(QStringLiteral("second.Qvr"),
                                {person("Cy", "Zed"), person("Di", "Adams", "Clerk"), person("Ed", "Moss")});
    MainWindow window(first);
    QVERIFY(window.startUp());
    window.Groups = exampleGroups();
    results(window)->setPlainText(QStringLiteral("Group 1"));
    click(window, "cmdSelectAll");

    FileDialog::queueChoice(second);
    trigger(window, "mnuOpenNewPool");
    QCOMPARE(FileDialog::shownDialogs().back().title, QStringLiteral("Open/New Pool"));
    QCOMPARE(window.poolPath(), second);
    QCOMPARE(window.windowTitle(), QStringLiteral("Quorvia - ") + second);
    QCOMPARE(window.poolList()->itemCount(), 3);
    QCOMPARE(window.poolList()->itemText(0), QStringLiteral("Adams, Di (Clerk)"));
    QCOMPARE(selectCaption(window), QStringLiteral("Select (0 Selected)"));
    QVERIFY(results(window)->toPlainText().isEmpty());
    ProfilesWindow *editor = window.profilesWindow();
    QVERIFY(!editor->isVisible());
    QCOMPARE(editor->poolPath(), second);
    QCOMPARE(editor->CurrentRecordNumber(), 1);
    QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 1 (3 Saved)"));

    // The groups of the last Calculate outlive the pool they came from.
    LinePrinter::queuePdf(dir.filePath(QStringLiteral("former-groups.pdf")));
    trigger(window, "mnuPrintGroups");
    QCOMPARE(LinePrinter::printedDocuments().back().at(8), QStringLiteral("Smith, Anna (Manager)"));

    // Choosing the open pool again reloads it: ticks and results are gone.
    click(window, "cmdSelectAll");
    results(window)->setPlainText(QStringLiteral("Group 1"));
    FileDialog::queueChoice(second);
    trigger(window, "mnuOpenNewPool");
    QCOMPARE(selectCaption(window), QStringLiteral("Select (0 Selected)"));
    QVERIFY(results(window)->toPlainText().isEmpty());
    QVERIFY(MessageBox::shownBoxes().empty());
    window.close();
}

void TestFiles::creatingAPoolOpensTheEditorAtOnce()
{
    MainWindow window(pool(QStringLiteral("start.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());
    const QString team = dir.filePath(QStringLiteral("Crew.Qvr"));
    QVERIFY(!QFile::exists(team));

    QString editorCaption;
    WhenModal whenModal([&](QWidget *modal) {
        if (!modal)
            return;
        editorCaption = modal->windowTitle();
        modal->close();
    });
    FileDialog::queueChoice(dir.filePath(QStringLiteral("Crew")));  // typed without its suffix
    trigger(window, "mnuOpenNewPool");
    QVERIFY(whenModal.ran);
    QCOMPARE(editorCaption, QStringLiteral("Profiles - 1 (0 Saved)"));
    QVERIFY(QFile::exists(team));
    QCOMPARE(QFileInfo(team).size(), qint64(0));
    QCOMPARE(window.poolPath(), team);
    QCOMPARE(window.poolList()->itemCount(), 0);
    QCOMPARE(window.windowTitle(), QStringLiteral("Quorvia - ") + team);
    window.close();
}

void TestFiles::cancelledOrFailedOpenKeepsTheFormerPool()
{
    const QString path = pool(QStringLiteral("keep.Qvr"), {person("Ann", "Lee"), person("Bob", "Ray")});
    MainWindow window(path);
    QVERIFY(window.startUp());
    window.poolList()->setTicked(1, true);
    results(window)->setPlainText(QStringLiteral("Group 1"));
    const QString folder = dir.filePath(QStringLiteral("folder.Qvr"));
    QVERIFY(QDir().mkpath(folder));

    // A cancel, a folder that does not exist, a folder in the file's place.
    const QStringList choices{QString(), dir.filePath(QStringLiteral("no-such-folder/lost.Qvr")), folder};
    const QStringList reasons{QString(), QStringLiteral("No such file or directory"), QStringLiteral("folder")};
    for (int i = 0; i < choices.size(); ++i) {
        MessageBox::clearShownBoxes();
        if (choices[i].isEmpty()) {
            FileDialog::queueCancel();
        } else {
            FileDialog::queueChoice(choices[i]);
            MessageBox::queueAnswer(MessageBox::Ok);
        }
        trigger(window, "mnuOpenNewPool");

        if (!choices[i].isEmpty()) {
            QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
            const MessageBox::Shown &box = MessageBox::shownBoxes().front();
            QCOMPARE(box.style, MessageBox::Style::Warning);
            QVERIFY2(box.text.contains(choices[i]) && box.text.contains(path) && box.text.contains(reasons[i]),
                     qPrintable(box.text));
        }
        QCOMPARE(window.poolPath(), path);
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvia - ") + path);
        QCOMPARE(window.poolList()->itemCount(), 2);
        QVERIFY(window.poolList()->isTicked(1) && !window.poolList()->isTicked(0));
        QCOMPARE(selectCaption(window), QStringLiteral("Select (1 Selected)"));
        QCOMPARE(results(window)->toPlainText(), QStringLiteral("Group 1"));
        QCOMPARE(window.profilesWindow()->poolPath(), path);
    }
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no-such-folder"))));
    window.close();
}

void TestFiles::exportWritesTheGroupsDocument()
{
    MainWindow window(pool(QStringLiteral("export.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());

    // Before any Calculate: the four heading lines.
    FileDialog::queueChoice(dir.filePath(QStringLiteral("none")));
    click(window, "cmdExport");
    QCOMPARE(FileDialog::shownDialogs().back().title, QStringLiteral("Export Groups As"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("none.txt"))), QByteArray("Quorvia\r\n\r\n\r\nGroups\r\n"));

    // The worked example, over an existing file (after the question).
    window.Groups = exampleGroups();
    const QString groups = dir.filePath(QStringLiteral("groups.txt"));
    writeFile(groups, QByteArray(4000, 'x'));
    FileDialog::queueChoice(dir.filePath(QStringLiteral("groups")));
    MessageBox::queueAnswer(MessageBox::Yes);
    trigger(window, "mnuExportGroups");
    QCOMPARE(readFile(groups), kExampleExport);
    QCOMPARE(FileDialog::shownDialogs().back().initialName, dir.filePath(QStringLiteral("none.txt")));

    // A cancelled export writes nothing, even after earlier choices.
    QVERIFY(QFile::remove(groups));
    FileDialog::queueCancel();
    click(window, "cmdExport");
    QVERIFY(!QFile::exists(groups));
    window.close();
}

void TestFiles::exportFailuresAreReportedAndHarmless()
{
    MainWindow window(pool(QStringLiteral("fail.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());
    window.Groups = exampleGroups();

    const QString missingFolder = dir.filePath(QStringLiteral("gone/groups.txt"));
    FileDialog::queueChoice(missingFolder);
    MessageBox::queueAnswer(MessageBox::Ok);
    click(window, "cmdExport");
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
    const QString reported = MessageBox::shownBoxes().back().text;
    QVERIFY2(reported.contains(missingFolder) && reported.contains(QStringLiteral("No such file")), qPrintable(reported));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));

    // A folder in the file's place is not replaced.
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    FileDialog::queueChoice(folder);
    MessageBox::queueAnswer(MessageBox::Ok);
    click(window, "cmdExport");
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(2));
    QVERIFY(MessageBox::shownBoxes().back().text.contains(folder));
    QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());

    // Nothing but the chosen file is left in the folder after an export.
    const QString clean = dir.filePath(QStringLiteral("clean"));
    QVERIFY(QDir().mkpath(clean));
    FileDialog::queueChoice(clean + QStringLiteral("/out"));
    click(window, "cmdExport");
    QCOMPARE(QDir(clean).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.txt")});
    window.close();
}

void TestFiles::groupsAndPoolPrintIntoPdf()
{
    MainWindow window(pool(QStringLiteral("print.Qvr"), {person("", "Zed"), person("Ann", "Adams", "Clerk"),
                                                         ProfileRecord()}));
    QVERIFY(window.startUp());
    window.Groups = exampleGroups();

    const QString groupsPdf = dir.filePath(QStringLiteral("groups.pdf"));
    LinePrinter::queuePdf(groupsPdf);
    click(window, "cmdPrint");
    const QStringList expectedGroups = QString::fromLatin1(kExampleExport).split(QStringLiteral("\r\n"));
    QCOMPARE(LinePrinter::printedDocuments().back(), expectedGroups.mid(0, expectedGroups.size() - 1));
    const QByteArray pdf = readFile(groupsPdf);
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdfPageCount(pdf), 1);
    const QString text = pdfText(groupsPdf);
    if (!text.isEmpty()) {
        QVERIFY(text.indexOf(QStringLiteral("Quorvia")) < text.indexOf(QStringLiteral("Group 1")));
        QVERIFY(text.indexOf(QStringLiteral("Lee, Carl")) < text.indexOf(QStringLiteral("Group 2")));
        QVERIFY(text.contains(QStringLiteral("(Driver)")));
        QVERIFY(!text.contains(QStringLiteral("Page")));  // no header, footer or page number
    }

    // The pool in record order, the blank record as an empty line.
    const QString poolPdf = dir.filePath(QStringLiteral("pool.pdf"));
    LinePrinter::queuePdf(poolPdf);
    trigger(window, "mnuPrintPool");
    QCOMPARE(LinePrinter::printedDocuments().back(),
             (QStringList{"Quorvia", "", "", "Pool", "", "Zed", "Adams, Ann (Clerk)", ""}));
    QCOMPARE(pdfPageCount(readFile(poolPdf)), 1);
    const QString poolText = pdfText(poolPdf);
    if (!poolText.isEmpty())
        QVERIFY(poolText.indexOf(QStringLiteral("Zed")) < poolText.indexOf(QStringLiteral("Adams")));

    window.close();
}

void TestFiles::longPoolRunsOverPages()
{
    std::vector<ProfileRecord> people;
    for (int i = 1; i <= 400; ++i)
        people.push_back(person(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i)));
    MainWindow window(pool(QStringLiteral("long.Qvr"), people));
    QVERIFY(window.startUp());

    const QString pdfPath = dir.filePath(QStringLiteral("long.pdf"));
    LinePrinter::queuePdf(pdfPath);
    trigger(window, "mnuPrintPool");
    const int pages = pdfPageCount(readFile(pdfPath));

    // 405 lines at 10 points (about 6 lines to the inch) fill several pages of
    // any paper size; every page but the last is full.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    const int perPage = LinePrinter::linesPerPage(printer);
    QVERIFY2(perPage >= 40 && perPage <= 80, qPrintable(QString::number(perPage)));
    QCOMPARE(pages, (405 + perPage - 1) / perPage);
    QVERIFY(pages >= 5);

    const QString text = pdfText(pdfPath);
    if (!text.isEmpty()) {
        // Page by page in record order: the first person of the second page follows the last of the first.
        const QStringList sheets = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(sheets.size(), pages);
        QVERIFY(sheets.at(0).contains(QStringLiteral("Last%1, First%1").arg(perPage - 5)));
        QVERIFY(sheets.at(1).trimmed().startsWith(QStringLiteral("Last%1, First%1").arg(perPage - 4)));
        QVERIFY(sheets.last().contains(QStringLiteral("Last400, First400")));
    }
    window.close();
}

void TestFiles::printingCanBeCancelledAndFailuresAreReported()
{
    MainWindow window(pool(QStringLiteral("cancel.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());

    LinePrinter::queueCancel();
    click(window, "cmdPrint");
    QCOMPARE(LinePrinter::printedDocuments().size(), std::size_t(1));
    QVERIFY(MessageBox::shownBoxes().empty());

    const QString nowhere = dir.filePath(QStringLiteral("no-such-folder/out.pdf"));
    LinePrinter::queuePdf(nowhere);
    MessageBox::queueAnswer(MessageBox::Ok);
    trigger(window, "mnuPrintPool");
    QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
    QCOMPARE(MessageBox::shownBoxes().front().style, MessageBox::Style::Warning);
    const QString reported = MessageBox::shownBoxes().front().text;
    QVERIFY2(reported.contains(nowhere), qPrintable(reported));
    QVERIFY(!QFile::exists(nowhere));

    window.close();
}

void TestFiles::helpIsModelessAndClosesAtExit()
{
    MainWindow window(pool(QStringLiteral("help.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());
    const QString elsewhere = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QDir::rootPath()));  // whatever the working folder
    trigger(window, "mnuTopics");
    QDir::setCurrent(elsewhere);

    auto *help = window.findChild<HelpWindow *>();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QVERIFY(!help->topicTitles().isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window.isEnabled());

    // The main window goes on working while the help shows.
    click(window, "cmdSelectAll");
    QCOMPARE(selectCaption(window), QStringLiteral("Select (1 Selected)"));
    trigger(window, "mnuTopics");
    QCOMPARE(window.findChildren<HelpWindow *>().size(), 1);

    trigger(window, "mnuExit");
    QVERIFY(!help->isVisible());
    QVERIFY(!window.isVisible());
}

void TestFiles::aboutBoxIsMadeOnce()
{
    MainWindow window(pool(QStringLiteral("about.Qvr"), {person("Ann", "Lee")}));
    QVERIFY(window.startUp());
    for (int round = 0; round < 2; ++round) {
        QString version;
        WhenModal whenModal([&](QWidget *modal) {
            if (!modal)
                return;
            version = modal->windowTitle() + QLatin1Char('/')
                + modal->findChild<QLabel *>(QStringLiteral("lblAbout1"))->text();
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        trigger(window, "mnuAbout");
        QCOMPARE(version, QStringLiteral("About Quorvia/Quorvia v. 1.2.6"));
        QCOMPARE(window.findChildren<AboutDialog *>().size(), 1);
        QVERIFY(!window.findChild<AboutDialog *>()->isVisible());
    }
    window.close();
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
