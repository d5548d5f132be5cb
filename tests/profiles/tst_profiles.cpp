// The profile editor driven through its widgets; every check that matters
// looks at the pool file's bytes afterwards.

#include "mainwindow/MainWindow.h"
#include "mainwindow/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"
#include "profiles/ProfilesWindow.h"
#include "support/PoolFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/resource.h>
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

// Makes writes past `bytes` fail with "File too large", which even root
// cannot get around: a full disk for this process.
struct FileSizeLimit {
    rlimit former{};
    explicit FileSizeLimit(qint64 bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &former);
        rlimit limit = former;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &former); }
};

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
    QString shown() { return box("txtFirstName")->text() + '|' + box("txtLastName")->text() + '|' + box("txtPosition")->text(); }
    QString caption() { return editor->windowTitle(); }
    int boxesShown() { return int(MessageBox::shownBoxes().size()); }

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

    void windowHasTwoColumnsAButtonRowAndReadingOrder()
    {
        open({});
        for (const char *name : {"lstOwnAttributes", "lstCompatibleWith", "lstIncompatibleWith"})
            QCOMPARE(list(name)->item(21)->text() + QString::number(list(name)->count()), QStringLiteral("Beginner22"));
        const char *row[] = {"cmdDelete", "cmdPrevious", "cmdSave", "cmdNext", "cmdNew", "cmdOK", "cmdCancel"};
        for (int i = 1; i < 7; ++i)
            QVERIFY(button(row[i - 1])->x() < button(row[i])->x() && button(row[i])->y() == button(row[0])->y());
        auto *left = editor->findChild<QGroupBox *>("fraOwnAttributes");
        auto *right = editor->findChild<QGroupBox *>("fraCompatibleWith");
        QVERIFY(left->x() + left->width() <= right->x());
        QVERIFY(qAbs(left->width() - right->width()) <= 2);
        QStringList tabStops;
        QWidget *w = box("txtFirstName");
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(editor)) tabStops << w->objectName();
            w = w->nextInFocusChain();
        } while (w != box("txtFirstName"));
        QCOMPARE(tabStops.join(' '), QStringLiteral("txtFirstName txtLastName txtPosition lstOwnAttributes "
            "lstCompatibleWith lstIncompatibleWith cmdDelete cmdPrevious cmdSave cmdNext cmdNew cmdOK cmdCancel"));
    }

    void showModalOpensAfreshAtRecordOne()
    {
        QVERIFY(writePool(pool, {A, B}));
        editor->loadFirstRecord();
        click("cmdNext");
        QString seen;
        QTimer::singleShot(0, editor, [&] {
            seen = caption() + ' ' + shown() + (editor->isModal() && editor->parentWidget() == owner.get() ? " modal" : "");
            click("cmdCancel");
        });
        editor->showModal();
        QCOMPARE(seen, QStringLiteral("Profiles - 1 (2 Saved) Ann         |Adams       |Clerk        modal"));
        QVERIFY(!editor->isVisible());
    }

    void pagingStopsAtRecordOneAndAtTheBlankPosition()
    {
        open({});
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (0 Saved)"));
        click("cmdNext"); click("cmdPrevious");
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (0 Saved)"));
        QVERIFY(writePool(pool, {A, B, C}));
        editor->loadFirstRecord();
        QCOMPARE(ticks("lstOwnAttributes"), (QList<int>{0, 3}));
        click("cmdNext"); click("cmdNext"); click("cmdNext");
        QCOMPARE(caption(), QStringLiteral("Profiles - 4 (3 Saved)"));
        QCOMPARE(shown(), QStringLiteral("||"));
        QVERIFY(ticks("lstIncompatibleWith").isEmpty());
        type("txtFirstName", "Dee");
        click("cmdNext");  // nothing, not even the prompt
        QCOMPARE(caption(), QStringLiteral("Profiles - 4 (3 Saved)"));
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Dee"));
        QCOMPARE(boxesShown(), 0);
        // The stored 12 characters fill the box: a fourth letter is refused.
        MessageBox::queueAnswer(MessageBox::No);
        click("cmdPrevious");
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Cy          "));
        QTest::keyClick(box("txtFirstName"), Qt::Key_X);
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Cy          "));
        QVERIFY(!editor->ProfileModified());
        click("cmdPrevious"); click("cmdPrevious"); click("cmdPrevious");
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (3 Saved)"));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));
    }

    void promptOnEveryPathSavesOnYesOnly()
    {
        open({A, B, C});
        click("cmdNext");
        tick("lstOwnAttributes", 4);
        MessageBox::queueAnswer(MessageBox::No);
        click("cmdNext");
        QCOMPARE(caption(), QStringLiteral("Profiles - 3 (3 Saved)"));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));
        QCOMPARE(MessageBox::shownBoxes().back().text, kPrompt);
        QCOMPARE(MessageBox::shownBoxes().back().style, MessageBox::Style::QuestionDefaultNo);

        tick("lstCompatibleWith", 2);
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdPrevious");
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (3 Saved)"));
        QCOMPARE(readFile(pool), poolBytes({A, B, withTraits(C, {}, {2})}));
        QCOMPARE(changes->count(), 1);

        // Cancel asks once (closing finds the flag cleared); the title bar asks too.
        type("txtPosition", "Chief");
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdCancel");
        QVERIFY(!editor->isVisible());
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Bob", "Brown", "Chief"), {1}, {}, {21}),
                                            withTraits(C, {}, {2})}));
        editor->show();
        type("txtPosition", "Nobody");
        MessageBox::queueAnswer(MessageBox::No);
        editor->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(boxesShown(), 4);

        // Ticks without any text are dropped without a question.
        editor->loadFirstRecord();
        editor->show();
        click("cmdNew");
        QCOMPARE(caption(), QStringLiteral("Profiles - 4 (3 Saved)"));
        tick("lstOwnAttributes", 0);
        click("cmdPrevious");
        QCOMPARE(caption(), QStringLiteral("Profiles - 3 (3 Saved)"));
        QCOMPARE(boxesShown(), 4);
        QCOMPARE(PoolFile::fileSize(pool), 522);
    }

    void newAfterUnsavedChangesCountsTheSavedProfile()
    {
        open({A, B, C, A, B});
        click("cmdNext");
        type("txtFirstName", "Bea");
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdNew");
        QCOMPARE(caption(), QStringLiteral("Profiles - 6 (5 Saved)"));
        QCOMPARE(shown(), QStringLiteral("||"));
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Bea", "Brown"), {1}, {}, {21}), C, A, B}));
        // A partial last record: 2.5 + 1 rounds to the even 4, 1.5 + 1 to 2.
        QVERIFY(writeFile(pool, poolBytes({A, B}) + QByteArray(87, 'x')));
        click("cmdNew");
        QCOMPARE(caption(), QStringLiteral("Profiles - 4 (2.5 Saved)"));
        QVERIFY(writeFile(pool, poolBytes({A}) + QByteArray(87, 'x')));
        click("cmdNew");
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (1.5 Saved)"));
    }

    void traitRulesAndTheLoadingRepair()
    {
        ProfileRecord broken = withTraits(person("Rae", "Ray"), {2, 3, 0, 1}, {7, 9}, {7});
        open({broken});
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
        QVERIFY(editor->ProfileModified());
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
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (0 Saved)"));
        type("txtFirstName", "  Ann");
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u0141"), {});
        QTest::sendKeyEvent(QTest::Click, box("txtFirstName"), Qt::Key_unknown, QStringLiteral("\u20AC"), {});
        type("txtPosition", "Clerk ");
        click("cmdSave");  // a character the pool cannot store was refused, the euro sign kept
        QCOMPARE(readFile(pool), poolBytes({withTraits(person("Ann\u20AC", "", "Clerk"), {2})}));
        QCOMPARE(readFile(pool).left(5), QByteArray("Ann\x80 "));
        QCOMPARE(readFile(pool).mid(168), QByteArray("\xFF\xFF\xFF\xFF\x00\x00", 6));
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (1 Saved)"));
        QCOMPARE(changes->count(), 1);
        click("cmdNext");
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (1 Saved)"));
        type("txtLastName", "Lee");
        click("cmdSave");
        QCOMPARE(readFile(pool).mid(174 + 168), QByteArray("\xFF\xFF\x00\x00\x00\x00", 6));

        QVERIFY(writePool(pool, {A, B, C, A, B}));
        editor->loadFirstRecord();
        click("cmdNext");
        type("txtFirstName", "Bo");
        click("cmdOK");
        QVERIFY(!editor->isVisible());
        QCOMPARE(readFile(pool), poolBytes({A, withTraits(person("Bo", "Brown"), {1}, {}, {21}), C, A, B}));
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (5 Saved)"));
    }

    void enterPressesOnlyTheFocusedButtonAndEscapeCancels()
    {
        open({A, B});
        type("txtFirstName", "Al");
        QTest::keyClick(box("txtFirstName"), Qt::Key_Return);
        QVERIFY(editor->isVisible());
        QCOMPARE(readFile(pool), poolBytes({A, B}));
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
        QCOMPARE(boxesShown(), 0);
        QVERIFY(writePool(pool, {A, B, C}));
        editor->loadFirstRecord();
        click("cmdNext");
        type("txtFirstName", "Unsaved");
        MessageBox::queueAnswer(MessageBox::No);
        click("cmdDelete");
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Unsaved"));
        QCOMPARE(readFile(pool), poolBytes({A, B, C}));

        MessageBox::queueAnswer(MessageBox::Yes);  // middle, unsaved typing lost without a prompt
        click("cmdDelete");
        QCOMPARE(MessageBox::shownBoxes().back().text, kDeleteQuestion);
        QCOMPARE(MessageBox::shownBoxes().back().style, MessageBox::Style::Question);
        QCOMPARE(readFile(pool), poolBytes({A, C}));
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (2 Saved)"));
        QCOMPARE(shown(), QStringLiteral("Cy          |Cole        |Boss        "));
        QVERIFY(!editor->ProfileModified());

        click("cmdNext");  // blank position: the same records again
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdDelete");
        QCOMPARE(readFile(pool), poolBytes({A, C}));
        QCOMPARE(caption(), QStringLiteral("Profiles - 3 (2 Saved)"));

        click("cmdPrevious");  // last
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdDelete");
        QCOMPARE(readFile(pool), poolBytes({A}));
        QCOMPARE(caption(), QStringLiteral("Profiles - 2 (1 Saved)"));
        QCOMPARE(shown(), QStringLiteral("||"));

        click("cmdPrevious");  // first and only
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdDelete");
        QVERIFY(QFileInfo::exists(pool));
        QCOMPARE(PoolFile::fileSize(pool), 0);
        QCOMPARE(caption(), QStringLiteral("Profiles - 1 (0 Saved)"));
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
            MessageBox::clearShownBoxes();
            MessageBox::queueAnswer(MessageBox::Yes);
            MessageBox::queueAnswer(MessageBox::Ok);
            provoke();
            QCOMPARE(readFile(pool), before);
            QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QFileInfo(pool).fileName()});
            QVERIFY(MessageBox::shownBoxes().back().text.contains(QDir::toNativeSeparators(pool)));
            QCOMPARE(caption(), QStringLiteral("Profiles - 1 (3.28735632183908 Saved)"));
            QVERIFY(changes->isEmpty());
            QVERIFY(QFile::remove(pool));
        };
        // The copy cannot be written in full (a full disk, as far as this process knows).
        attempt(pool, [&] {
            FileSizeLimit limit(200);
            click("cmdDelete");
        });
        QVERIFY(MessageBox::shownBoxes().back().text.contains("File too large"));
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
        QVERIFY(editor->isVisible());
        QVERIFY(editor->ProfileModified());
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Dee"));
        QCOMPARE(caption(), QStringLiteral("Profiles - 3 (2 Saved)"));
        QVERIFY(MessageBox::shownBoxes().back().text.contains(QDir::toNativeSeparators(pool)));

        // A save asked for by the prompt that fails keeps the editor where it is.
        QVERIFY(dir->remove());
        MessageBox::queueAnswer(MessageBox::Yes);
        MessageBox::queueAnswer(MessageBox::Ok);
        click("cmdPrevious");
        QCOMPARE(caption(), QStringLiteral("Profiles - 3 (2 Saved)"));
        QVERIFY(MessageBox::shownBoxes().back().text.contains("No such file or directory"));
        QCOMPARE(box("txtFirstName")->text(), QStringLiteral("Dee"));
        QVERIFY(changes->isEmpty());
        MessageBox::queueAnswer(MessageBox::No);  // finally let it go
        editor->close();
    }

    void recordNumbersBeyondSixteenBits()
    {
        open(std::vector<ProfileRecord>(32768, B));
        click("cmdNew");
        QCOMPARE(caption(), QStringLiteral("Profiles - 32769 (32768 Saved)"));
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
        MessageBox::queueAnswer(MessageBox::Yes);
        click("cmdDelete");
        QCOMPARE(main.poolList()->itemCount(), 1);
        QCOMPARE(main.poolList()->itemText(0), QStringLiteral("Brown, Bob"));
        QCOMPARE(main.poolList()->tickCount(), 0);
        editor = nullptr;
    }
};

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
