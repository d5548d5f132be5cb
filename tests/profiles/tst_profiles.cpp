// SPDX-License-Identifier: GPL-3.0-or-later
// The profile editor driven through its widgets, owned by the main window;
// every check that matters looks at the pool file's bytes afterwards.

#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "pool/AtomicFile.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

const QString kPrompt = QStringLiteral(
    "308 The current profile may have been modified.\r\nDo you want to save any changes before proceeding?");

const ProfileRecord A = withTraits(person("Ann", "Adams", "Clerk"), {0, 3}, {5}, {8});
const ProfileRecord B = withTraits(person("Bob", "Brown"), {1}, {}, {21});
const ProfileRecord C = person("Cy", "Cole", "Boss");
const QString kAnn = QStringLiteral("Ann         |Adams       |Clerk       | O0 O3 C5 I8");

} // namespace

class TestProfiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MainWindow> main;
    ProfilesWindow *editor = nullptr;
    QString pool;

    void open(const std::vector<ProfileRecord> &records, const QByteArray &tail = {})
    {
        QVERIFY(writeFile(pool, poolBytes(records) + tail) && main->LoadPoolList());
        editor->loadFirstRecord();
        editor->show();
    }
    QLineEdit *box(const char *name) { return editor->findChild<QLineEdit *>(name); }
    QListWidget *list(const char *name) { return editor->findChild<QListWidget *>(name); }
    void click(const char *name) { QTest::mouseClick(editor->findChild<QPushButton *>(name), Qt::LeftButton); }
    void answer(MessageBox::Answer a, const char *name) { MessageBox::queueAnswer(a); click(name); }
    void type(const char *name, const QString &text) { box(name)->clear(); QTest::keyClicks(box(name), text); }
    void tick(const char *name, int row) { list(name)->setCurrentRow(row); QTest::keyClick(list(name), Qt::Key_Space); }
    // Caption, boxes and ticks: "Profiles - 2 (3 Saved) Bob         |Brown       |            | O1 I21".
    QString state()
    {
        QString s = editor->windowTitle() + ' ' + box("txtFirstName")->text() + '|' + box("txtLastName")->text() + '|'
            + box("txtPosition")->text() + '|';
        for (const char *name : {"lstOwnAttributes", "lstCompatibleWith", "lstIncompatibleWith"})
            for (int t = 0; t < 22; ++t)
                if (list(name)->item(t)->checkState() == Qt::Checked) s += QStringLiteral(" %1%2").arg(name[3]).arg(t);
        return s;
    }
    // Every box shown so far, as "style text".
    QStringList shown()
    {
        QStringList boxes;
        for (const auto &b : MessageBox::shownBoxes()) boxes << QString::number(int(b.style)) + ' ' + b.text;
        return boxes;
    }

private slots:
    void initTestCase() { useSeams(); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        pool = dir->filePath(QStringLiteral("Team.Qvr"));
        main = std::make_unique<MainWindow>(pool);
        editor = main->profilesWindow();
    }
    void cleanup()
    {
        main.reset();
        checkSeamsUsedUp();
    }

    void pagingStopsAtRecordOneAndAtTheBlankPosition()
    {
        open({A, B, C});
        for (int i = 0; i < 4; ++i) click("cmdNext");
        type("txtFirstName", "Dee");
        box("txtFirstName")->setFocus();
        QTest::keyClick(box("txtFirstName"), Qt::Key_Return);  // Enter in a box presses no button
        click("cmdNext");  // nothing, not even the prompt
        QCOMPARE(state(), QStringLiteral("Profiles - 4 (3 Saved) Dee|||"));
        answer(MessageBox::Yes, "cmdNew");  // counts the profile its prompt saved
        tick("lstOwnAttributes", 0);
        click("cmdPrevious");  // ticks without any text go without a question
        QTest::keyClick(box("txtFirstName"), Qt::Key_X);  // the 12 stored characters fill the box
        QCOMPARE(state(), QStringLiteral("Profiles - 4 (4 Saved) Dee         |            |            |"));
        for (int i = 0; i < 4; ++i) click("cmdPrevious");
        QCOMPARE(state(), "Profiles - 1 (4 Saved) " + kAnn);
        QCOMPARE(readFile(pool), poolBytes({A, B, C, person("Dee", "")}));
        for (int whole : {2, 1}) {  // after a partial last record New rounds 3.5 and 2.5 to the even 4 and 2
            QVERIFY(writeFile(pool, QByteArray(174 * whole + 87, 'x')));
            click("cmdNew");
            QCOMPARE(editor->windowTitle(), whole == 2 ? "Profiles - 4 (2.5 Saved)" : "Profiles - 2 (1.5 Saved)");
        }
    }

    void promptOnEveryPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("after");
        const char *paths[][2] = {{"cmdNext", "Profiles - 3 (3 Saved) Cy "}, {"cmdNew", "Profiles - 4 (3 Saved) |||"},
            {"cmdPrevious", "Profiles - 1 (3 Saved) Ann "}, {"cmdCancel", "closed"}, {"close", "closed"}};
        for (const auto &p : paths)
            for (bool yes : {true, false})
                QTest::addRow("%s %s", p[0], yes ? "Yes" : "No") << QString(p[0]) << yes << QString(p[1]);
    }
    void promptOnEveryPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, yes);
        QFETCH(QString, after);
        open({A, B, C});
        click("cmdNext");
        tick("lstOwnAttributes", 4);
        main->cmdSelectAll_Click();
        MessageBox::queueAnswer(yes ? MessageBox::Yes : MessageBox::No);
        path == "close" ? void(editor->close()) : click(qPrintable(path));
        QCOMPARE(shown(), QStringList{kPrompt});  // once, though closing asks again
        QCOMPARE(readFile(pool), poolBytes({A, yes ? withTraits(B, {4}) : B, C}));
        QCOMPARE(main->poolList()->tickCount(), yes ? 0 : 3);  // only a save rebuilds the main window's list
        QCOMPARE(editor->isVisible() ? state().left(after.size()) : QStringLiteral("closed"), after);
    }

    void traitRulesAndTheLoadingRepairThenOKSavesInPlace()
    {
        open({A, withTraits(person("Rae", "Ray"), {0, 1, 2, 3}, {7, 9}, {7}), C});
        click("cmdNext");
        const QString rae = QStringLiteral("Profiles - 2 (3 Saved) Rae         |Ray         |            |");
        QCOMPARE(state(), rae + " O0 O1 O3 C9 I7");
        tick("lstOwnAttributes", 5); tick("lstOwnAttributes", 4);  // Introvert unticks Extrovert
        tick("lstOwnAttributes", 8); tick("lstOwnAttributes", 8);  // unticking leaves Comic alone
        tick("lstCompatibleWith", 7);                              // moves 7 out of the other list
        tick("lstIncompatibleWith", 21); tick("lstCompatibleWith", 20);  // no pairs in the other lists
        QCOMPARE(state(), rae + " O0 O1 O3 O4 C7 C9 C20 I21");
        click("cmdOK");
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Rae", "Ray"), {0, 1, 3, 4}, {7, 9, 20}, {21}), C}));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 2 (3 Saved)"));
        QVERIFY(!editor->isVisible());
    }

    void savingAtTheBlankPositionTrimsTheTexts()
    {
        open({});
        tick("lstOwnAttributes", 2);
        click("cmdSave");  // no text: nothing at all
        QVERIFY(readFile(pool).isEmpty() && editor->ProfileModified());
        type("txtFirstName", "  Ann");
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u0141"), {});
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u20AC"), {});
        type("txtPosition", "Clerk ");
        QGuiApplication::clipboard()->setText(QStringLiteral("Bo\r\nX\tY"));
        box("txtLastName")->paste();  // a pasted line break or tab would split the person's line
        click("cmdSave");  // what the pool cannot store was refused, the euro sign kept
        QCOMPARE(readFile(pool), poolBytes({withTraits(person("Ann\u20AC", "", "Clerk"), {2})}));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 1 (1 Saved)"));
    }

    void deletingFirstMiddleLastAndBlankPosition()
    {
        open({B, A, B, C});
        type("txtFirstName", "Unsaved");
        answer(MessageBox::No, "cmdDelete");
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Unsaved"));
        struct Step { const char *move; std::vector<ProfileRecord> left; QString shown; };
        const Step steps[] = {
            {nullptr, {A, B, C}, "Profiles - 1 (3 Saved) " + kAnn},  // the unsaved typing goes without a prompt
            {"cmdNext", {A, C}, "Profiles - 2 (2 Saved) Cy          |Cole        |Boss        |"},
            {"cmdNext", {A, C}, "Profiles - 3 (2 Saved) |||"},  // the blank position: the same records
            {"cmdPrevious", {A}, "Profiles - 2 (1 Saved) |||"},
            {"cmdPrevious", {}, "Profiles - 1 (0 Saved) |||"},
        };
        for (const Step &step : steps) {
            if (step.move) click(step.move);
            answer(MessageBox::Yes, "cmdDelete");
            QCOMPARE(readFile(pool), poolBytes(step.left));
            QCOMPARE(state(), step.shown);
            QVERIFY(!editor->ProfileModified() && main->poolList()->itemCount() == int(step.left.size()));
        }
        click("cmdDelete");  // an empty pool: not even the question
        QCOMPARE(shown(), QStringList(6, "52 Are you sure you wish to delete the current profile?"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"Team.Qvr"});
    }

    void failuresLeaveThePoolAndTheTypedProfile()
    {
        // Whole records and a damaged tail: no failed write may change a byte of either.
        open({A, B, C}, QByteArray(50, 'z'));
        click("cmdNew");
        type("txtFirstName", "Dee");
        auto reported = [&](const char *reason) {
            QVERIFY2(shown().last().contains(pool) && shown().last().contains(reason), qPrintable(shown().last()));
        };
        {
            FileSizeLimit limit(600);  // a full disk, as far as this process knows: the save stops part-way
            answer(MessageBox::Ok, "cmdOK");
            reported("File too large");
        }
        const QString blocker = temporaryNameFor(pool) + "/inside";
        for (bool blocked : {false, true}) {  // the deletion's copy: a full disk, its name taken by a folder
            const FileSizeLimit limit(blocked ? 1 << 30 : 200);
            QVERIFY(!blocked || QDir().mkpath(blocker));
            MessageBox::queueAnswer(MessageBox::Yes);
            answer(MessageBox::Ok, "cmdDelete");
            reported(blocked ? "could not create the temporary file" : "File too large");
        }
        QVERIFY(QDir(blocker + "/..").removeRecursively());
        QCOMPARE(readFile(pool), poolBytes({A, B, C}) + QByteArray(50, 'z'));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"Team.Qvr"});
        QVERIFY(dir->remove());  // closing, whose prompt asks for a save that fails, keeps the editor open
        MessageBox::queueAnswer(MessageBox::Yes);
        MessageBox::queueAnswer(MessageBox::Ok);
        editor->close();
        reported("No such file or directory");
        QVERIFY(editor->isVisible() && editor->ProfileModified());
        QCOMPARE(state(), QStringLiteral("Profiles - 4 (3.28735632183908 Saved) Dee|zzzzzzzzzzzz|zzzzzzzzzzzz|"));
    }

    void changesBehindTheEditorAreNotOverwritten()
    {
        // A partial last record is a person too, and a deletion keeps it.
        open({A, B}, "Cy");
        QCOMPARE(main->poolList()->itemCount(), 3);
        answer(MessageBox::Yes, "cmdDelete");
        QCOMPARE(readFile(pool), poolBytes({B}) + "Cy" + QByteArray(172, '\0'));
        QCOMPARE(main->poolList()->itemCount(), 2);
        QCOMPARE(main->statusBar()->currentMessage(), QStringLiteral("Deleted Ann Adams (record 1)."));
        type("txtPosition", "Boss");
        click("cmdSave");
        QCOMPARE(main->statusBar()->currentMessage(), QStringLiteral("Saved Bob Brown (record 1)."));

        // Another program deletes record 1: record 1 is now someone else, who stays as he is.
        const QByteArray changed = poolBytes({C});
        QVERIFY(writeFile(pool, changed));
        type("txtPosition", "Chief");
        answer(MessageBox::Ok, "cmdSave");
        MessageBox::queueAnswer(MessageBox::Yes);
        answer(MessageBox::Ok, "cmdDelete");
        QCOMPARE(readFile(pool), changed);
        QCOMPARE(shown().filter("Record 1 of the pool file \"" + pool + "\" was changed by another program").size(), 2);
        QVERIFY(editor->ProfileModified());
    }
};

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
