// The profile editor driven through its widgets; every check that matters
// looks at the pool file's bytes afterwards.

#include "mainwindow/MainWindow.h"
#include "mainwindow/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"
#include "profiles/ProfilesWindow.h"
#include "support/FileSizeLimit.h"
#include "support/PoolFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <unistd.h>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

const QString kPrompt = QStringLiteral(
    "The current profile may have been modified.\r\nDo you want to save any changes before proceeding?");
const QString kDeleteQuestion = QStringLiteral("Are you sure you wish to delete the current profile?");

ProfileRecord withTraits(ProfileRecord r, QList<int> own, QList<int> compatible = {}, QList<int> incompatible = {})
{
    for (int t : own) r.OwnAttributes[std::size_t(t)] = kTrue;
    for (int t : compatible) r.CompatibleWith[std::size_t(t)] = kTrue;
    for (int t : incompatible) r.IncompatibleWith[std::size_t(t)] = kTrue;
    return r;
}

const ProfileRecord A = withTraits(person("Ann", "Adams", "Clerk"), {0, 3}, {5}, {8});
const ProfileRecord B = withTraits(person("Bob", "Brown"), {1}, {}, {21});
const ProfileRecord C = person("Cy", "Cole", "Boss");

} // namespace

class TestProfiles : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QWidget> owner;
    ProfilesWindow *editor = nullptr;
    std::unique_ptr<QSignalSpy> changes;
    QString pool;

    void open(const std::vector<ProfileRecord> &records)
    {
        QVERIFY(writePool(pool, records));
        editor->loadFirstRecord();
        editor->show();
    }
    QLineEdit *box(const char *name) { return editor->findChild<QLineEdit *>(name); }
    QListWidget *list(const char *name) { return editor->findChild<QListWidget *>(name); }
    QPushButton *button(const char *name) { return editor->findChild<QPushButton *>(name); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void answer(MessageBox::Answer a, const char *name) { MessageBox::queueAnswer(a); click(name); }
    void type(const char *name, const QString &text)
    {
        QTest::keyClick(box(name), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box(name), Qt::Key_Backspace);
        QTest::keyClicks(box(name), text);
    }
    void tick(const char *name, int item)
    {
        list(name)->setCurrentRow(item);
        QTest::keyClick(list(name), Qt::Key_Space);
    }
    QList<int> ticks(const char *name)
    {
        QList<int> ticked;
        for (int t = 0; t < 22; ++t)
            if (list(name)->item(t)->checkState() == Qt::Checked) ticked << t;
        return ticked;
    }
    // The caption and the three boxes, e.g. "Profiles - 2 (3 Saved) Bob         |Brown       |".
    QString state()
    {
        return editor->windowTitle() + ' ' + box("txtFirstName")->text() + '|' + box("txtLastName")->text() + '|'
            + box("txtPosition")->text();
    }
    QString lastBox() { return MessageBox::shownBoxes().empty() ? QString() : MessageBox::shownBoxes().back().text; }

private slots:
    void initTestCase() { MessageBox::setTestMode(true); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        pool = dir->filePath(QStringLiteral("Team.Qvr"));
        owner = std::make_unique<QWidget>();
        editor = new ProfilesWindow(owner.get());
        editor->setPoolPath(pool);
        changes = std::make_unique<QSignalSpy>(editor, &ProfilesWindow::poolChanged);
        MessageBox::clearShownBoxes();
    }
    void cleanup()
    {
        const int unused = MessageBox::pendingAnswers();
        while (MessageBox::pendingAnswers() > 0)  // keep a failed test's answers from the next one
            MessageBox::show(nullptr, QString(), MessageBox::Style::Warning);
        QCOMPARE(unused, 0);
        changes.reset();
        owner.reset();
    }

    void showModalOpensAfreshAtRecordOne()
    {
        QVERIFY(writePool(pool, {A, B}));
        editor->loadFirstRecord();
        click("cmdNext");
        QString seen;
        QTimer::singleShot(0, editor, [&] {
            seen = state() + (editor->isModal() && editor->parentWidget() == owner.get() ? " modal" : "");
            click("cmdCancel");
        });
        editor->showModal();
        QCOMPARE(seen, QStringLiteral("Profiles - 1 (2 Saved) Ann         |Adams       |Clerk        modal"));
        QVERIFY(!editor->isVisible());
    }

    void pagingStopsAtRecordOneAndAtTheBlankPosition()
    {
        open({});
        click("cmdNext"); click("cmdPrevious");
        QCOMPARE(state(), QStringLiteral("Profiles - 1 (0 Saved) ||"));
        QVERIFY(writePool(pool, {A, B, C}));
        editor->loadFirstRecord();
        click("cmdNext"); click("cmdNext"); click("cmdNext");
        QCOMPARE(state(), QStringLiteral("Profiles - 4 (3 Saved) ||"));
        QVERIFY(ticks("lstOwnAttributes").isEmpty());
        type("txtFirstName", "Dee");
        click("cmdNext");  // nothing, not even the prompt
        QCOMPARE(state(), QStringLiteral("Profiles - 4 (3 Saved) Dee||"));
        QVERIFY(MessageBox::shownBoxes().empty());
        answer(MessageBox::No, "cmdPrevious");
        // The stored 12 characters fill the box: a third letter is refused.
        QTest::keyClick(box("txtFirstName"), Qt::Key_X);
        QCOMPARE(state(), QStringLiteral("Profiles - 3 (3 Saved) Cy          |Cole        |Boss        "));
        QVERIFY(!editor->ProfileModified());
        click("cmdPrevious"); click("cmdPrevious"); click("cmdPrevious");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 1 (3 Saved)"));
        QCOMPARE(ticks("lstOwnAttributes"), (QList<int>{0, 3}));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));
    }

    void promptOnEveryPathSavesOnYesOnly()
    {
        open({A, B, C});
        click("cmdNext");
        tick("lstOwnAttributes", 4);
        answer(MessageBox::No, "cmdNext");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 3 (3 Saved)"));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));
        QCOMPARE(lastBox(), kPrompt);
        QCOMPARE(MessageBox::shownBoxes().back().style, MessageBox::Style::QuestionDefaultNo);

        tick("lstCompatibleWith", 2);
        answer(MessageBox::Yes, "cmdPrevious");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 2 (3 Saved)"));
        QCOMPARE(readFile(pool), poolBytes({A, B, withTraits(C, {}, {2})}));

        // Cancel asks once (closing finds the flag cleared); the title bar asks too.
        type("txtPosition", "Chief");
        answer(MessageBox::Yes, "cmdCancel");
        QVERIFY(!editor->isVisible());
        const ProfileRecord chief = withTraits(person("Bob", "Brown", "Chief"), {1}, {}, {21});
        QCOMPARE(readFile(pool), poolBytes({A, chief, withTraits(C, {}, {2})}));
        editor->show();
        type("txtPosition", "Nobody");
        MessageBox::queueAnswer(MessageBox::No);
        editor->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(4));
        QCOMPARE(changes->count(), 2);

        // Ticks without any text are dropped without a question.
        editor->loadFirstRecord();
        editor->show();
        click("cmdNew");
        tick("lstOwnAttributes", 0);
        click("cmdPrevious");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 3 (3 Saved)"));
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(4));
        QCOMPARE(PoolFile::fileSize(pool), 522);
    }

    void newAfterUnsavedChangesCountsTheSavedProfile()
    {
        open({A, B, C, A, B});
        click("cmdNext");
        type("txtFirstName", "Bea");
        answer(MessageBox::Yes, "cmdNew");
        QCOMPARE(state(), QStringLiteral("Profiles - 6 (5 Saved) ||"));
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Bea", "Brown"), {1}, {}, {21}), C, A, B}));
        // A partial last record: 2.5 + 1 rounds to the even 4, 1.5 + 1 to 2.
        QVERIFY(writeFile(pool, poolBytes({A, B}) + QByteArray(87, 'x')));
        click("cmdNew");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 4 (2.5 Saved)"));
        QVERIFY(writeFile(pool, poolBytes({A}) + QByteArray(87, 'x')));
        click("cmdNew");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 2 (1.5 Saved)"));
    }

    void traitRulesAndTheLoadingRepair()
    {
        open({withTraits(person("Rae", "Ray"), {2, 3, 0, 1}, {7, 9}, {7})});
        QCOMPARE(ticks("lstOwnAttributes"), (QList<int>{0, 1, 3}));
        QCOMPARE(ticks("lstCompatibleWith"), QList<int>{9});
        QCOMPARE(ticks("lstIncompatibleWith"), QList<int>{7});
        QVERIFY(!editor->ProfileModified());

        tick("lstOwnAttributes", 4); tick("lstOwnAttributes", 5);  // Extrovert unticks Introvert
        tick("lstOwnAttributes", 8); tick("lstOwnAttributes", 8);  // unticking leaves Comic alone
        tick("lstCompatibleWith", 7);                              // moves 7 out of the other list
        tick("lstIncompatibleWith", 21);
        tick("lstCompatibleWith", 20);                             // no pairs in the other lists
        QCOMPARE(ticks("lstOwnAttributes"), (QList<int>{0, 1, 3, 5}));
        QCOMPARE(ticks("lstCompatibleWith"), (QList<int>{7, 9, 20}));
        QCOMPARE(ticks("lstIncompatibleWith"), QList<int>{21});
        click("cmdSave");
        QCOMPARE(readFile(pool), poolBytes({withTraits(person("Rae", "Ray"), {0, 1, 3, 5}, {7, 9, 20}, {21})}));

        // A tick undone by its rule at once still marks the profile changed.
        editor->loadFirstRecord();
        tick("lstIncompatibleWith", 9);
        tick("lstCompatibleWith", 9);
        QCOMPARE(ticks("lstIncompatibleWith"), QList<int>{21});
        QVERIFY(editor->ProfileModified());
    }

    void savingTrimsPadsAndDerivesTheFlags()
    {
        open({});
        tick("lstOwnAttributes", 2);
        click("cmdSave");  // no text: nothing at all
        QVERIFY(!QFileInfo(pool).size() && editor->ProfileModified() && changes->isEmpty());
        type("txtFirstName", "  Ann");
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u0141"), {});
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u20AC"), {});
        type("txtPosition", "Clerk ");
        click("cmdSave");  // a character the pool cannot store was refused, the euro sign kept
        QCOMPARE(readFile(pool), poolBytes({withTraits(person("Ann\u20AC", "", "Clerk"), {2})}));
        QCOMPARE(readFile(pool).left(5) + readFile(pool).mid(168), QByteArray("Ann\x80 \xFF\xFF\xFF\xFF\x00\x00", 11));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 1 (1 Saved)"));
        QCOMPARE(changes->count(), 1);
        click("cmdNext");
        type("txtLastName", "Lee");
        click("cmdSave");
        QCOMPARE(readFile(pool).mid(174 + 168), QByteArray("\xFF\xFF\x00\x00\x00\x00", 6));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 2 (2 Saved)"));

        QVERIFY(writePool(pool, {A, B, C, A, B}));
        editor->loadFirstRecord();
        click("cmdNext");
        type("txtFirstName", "Bo");
        click("cmdOK");
        QVERIFY(!editor->isVisible());
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Bo", "Brown"), {1}, {}, {21}), C, A, B}));
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 2 (5 Saved)"));
    }

    void layoutReadingOrderEnterAndEscape()
    {
        open({A, B});
        QWidget *left = list("lstOwnAttributes")->parentWidget(), *right = list("lstCompatibleWith")->parentWidget();
        QVERIFY(left->geometry().right() < right->x() && qAbs(left->width() - right->width()) <= 2);
        const char *row[] = {"cmdDelete", "cmdPrevious", "cmdSave", "cmdNext", "cmdNew", "cmdOK", "cmdCancel"};
        for (int i = 1; i < 7; ++i)
            QVERIFY(button(row[i - 1])->x() < button(row[i])->x() && button(row[i])->y() == button(row[0])->y());
        QStringList tabStops;
        QWidget *w = box("txtFirstName");
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(editor)) tabStops << w->objectName();
            w = w->nextInFocusChain();
        } while (w != box("txtFirstName"));
        QCOMPARE(tabStops.join(' '), QStringLiteral("txtFirstName txtLastName txtPosition lstOwnAttributes "
            "lstCompatibleWith lstIncompatibleWith cmdDelete cmdPrevious cmdSave cmdNext cmdNew cmdOK cmdCancel"));
        // Enter in a box presses nothing; on a focused button it presses that one.
        type("txtFirstName", "Al");
        QTest::keyClick(box("txtFirstName"), Qt::Key_Return);
        QVERIFY(editor->isVisible() && readFile(pool) == poolBytes({A, B}));
        button("cmdSave")->setFocus();
        QTest::keyClick(button("cmdSave"), Qt::Key_Return);
        QCOMPARE(changes->count(), 1);
        type("txtFirstName", "Ali");
        MessageBox::queueAnswer(MessageBox::No);
        QTest::keyClick(box("txtFirstName"), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QCOMPARE(readFile(pool).left(12), QByteArray("Al          "));
    }

    void deletingFirstMiddleLastAndBlankPosition()
    {
        open({});
        click("cmdDelete");  // empty pool: not even the question
        QVERIFY(MessageBox::shownBoxes().empty());
        QVERIFY(writePool(pool, {A, B, C}));
        editor->loadFirstRecord();
        click("cmdNext");
        type("txtFirstName", "Unsaved");
        answer(MessageBox::No, "cmdDelete");
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Unsaved"));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));

        answer(MessageBox::Yes, "cmdDelete");  // middle; the unsaved typing goes without a prompt
        QCOMPARE(lastBox(), kDeleteQuestion);
        QCOMPARE(MessageBox::shownBoxes().back().style, MessageBox::Style::Question);
        QCOMPARE(readFile(pool), poolBytes({A, C}));
        QCOMPARE(state(), QStringLiteral("Profiles - 2 (2 Saved) Cy          |Cole        |Boss        "));
        QVERIFY(!editor->ProfileModified());

        click("cmdNext");  // blank position: the same records again
        answer(MessageBox::Yes, "cmdDelete");
        QCOMPARE(readFile(pool), poolBytes({A, C}));
        QCOMPARE(state(), QStringLiteral("Profiles - 3 (2 Saved) ||"));

        click("cmdPrevious");  // last
        answer(MessageBox::Yes, "cmdDelete");
        QCOMPARE(readFile(pool), poolBytes({A}));
        QCOMPARE(state(), QStringLiteral("Profiles - 2 (1 Saved) ||"));

        click("cmdPrevious");  // first and only
        answer(MessageBox::Yes, "cmdDelete");
        QVERIFY(QFileInfo::exists(pool) && PoolFile::fileSize(pool) == 0);
        QCOMPARE(state(), QStringLiteral("Profiles - 1 (0 Saved) ||"));
        QCOMPARE(changes->count(), 4);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"Team.Qvr"});
    }

    void failedDeletionLeavesThePoolUntouched()
    {
        const QByteArray before = poolBytes({A, B, C}) + QByteArray(50, 'z');
        auto attempt = [&](const QString &path, auto provoke) {
            pool = path;
            editor->setPoolPath(pool);
            QVERIFY(writeFile(pool, before));
            editor->loadFirstRecord();
            editor->show();
            MessageBox::queueAnswer(MessageBox::Yes);
            MessageBox::queueAnswer(MessageBox::Ok);
            provoke();
            QCOMPARE(readFile(pool), before);
            QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QFileInfo(pool).fileName()});
            QVERIFY(lastBox().contains(QDir::toNativeSeparators(pool)));
            QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 1 (3.28735632183908 Saved)"));
            QVERIFY(changes->isEmpty());
            QVERIFY(QFile::remove(pool));
        };
        // The copy cannot be written in full (a full disk, as far as this process knows).
        attempt(pool, [&] {
            FileSizeLimit limit(200);
            click("cmdDelete");
        });
        QVERIFY(lastBox().contains("File too large"));
        // No temporary file can be named beside a pool whose name is already the longest allowed.
        attempt(dir->filePath(QString(251, 'p') + ".Qvr"), [&] { click("cmdDelete"); });
        if (geteuid() != 0) {  // permission bits stop only other users
            QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner);
            attempt(dir->filePath("Locked.Qvr"), [&] { click("cmdDelete"); });
        }
    }

    void failedSaveKeepsTheProfileAndThePool()
    {
        open({A, B});
        click("cmdNext"); click("cmdNext");
        type("txtFirstName", "Dee");
        MessageBox::queueAnswer(MessageBox::Ok);
        {
            FileSizeLimit limit(348 + 100);  // the append fails part-way
            click("cmdOK");
        }
        QCOMPARE(readFile(pool), poolBytes({A, B}));
        QVERIFY(editor->isVisible() && editor->ProfileModified());
        QCOMPARE(state(), QStringLiteral("Profiles - 3 (2 Saved) Dee||"));
        QVERIFY(lastBox().contains(QDir::toNativeSeparators(pool)));

        // A save asked for by the prompt that fails keeps the editor where it is.
        QVERIFY(dir->remove());
        MessageBox::queueAnswer(MessageBox::Yes);
        answer(MessageBox::Ok, "cmdPrevious");
        QCOMPARE(state(), QStringLiteral("Profiles - 3 (2 Saved) Dee||"));
        QVERIFY(lastBox().contains("No such file or directory"));
        QVERIFY(changes->isEmpty());
        MessageBox::queueAnswer(MessageBox::No);  // finally let it go
        editor->close();
    }

    void recordNumbersBeyondSixteenBits()
    {
        open(std::vector<ProfileRecord>(32768, B));
        click("cmdNew");
        QCOMPARE(editor->windowTitle(), QStringLiteral("Profiles - 32769 (32768 Saved)"));
        type("txtLastName", "Last");
        click("cmdSave");
        QCOMPARE(PoolFile::fileSize(pool), 32769 * 174);
        QCOMPARE(readFile(pool).right(174), poolBytes({person("", "Last")}));
    }

    void mainWindowListFollowsSavesAndDeletions()
    {
        QVERIFY(writePool(pool, {A, B}));
        MainWindow main(pool);
        QVERIFY(main.LoadPoolList());
        editor = main.profilesWindow();
        editor->loadFirstRecord();
        editor->show();
        main.cmdSelectAll_Click();
        type("txtFirstName", "Zoe");
        click("cmdSave");
        QCOMPARE(main.poolList()->itemText(0), QStringLiteral("Adams, Zoe (Clerk)"));
        QCOMPARE(main.poolList()->tickCount(), 0);
        main.cmdSelectAll_Click();
        answer(MessageBox::Yes, "cmdDelete");
        QCOMPARE(main.poolList()->itemCount(), 1);
        QCOMPARE(main.poolList()->itemText(0), QStringLiteral("Brown, Bob"));
        QCOMPARE(main.poolList()->tickCount(), 0);
        editor = nullptr;
    }
};

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
