// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "board/BoardView.h"
#include "board/BoardWindow.h"
#include "dialogs/AppSettings.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QAccessible>
#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

QString accessibleText(QObject *object, QAccessible::Text which)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(which) : QString();
}

// Whether any item under `face` (a few levels deep) reads `text`.
bool readsSomewhere(QAccessibleInterface *face, const QString &text, int depth = 4)
{
    if (!face || depth < 0)
        return false;
    if (face->text(QAccessible::Name).contains(text))
        return true;
    for (int i = 0; i < face->childCount(); ++i)
        if (readsSomewhere(face->child(i), text, depth - 1))
            return true;
    return false;
}

QStringList ticked(const MainWindow &window)
{
    QStringList names;
    for (int row = 0; row < window.poolList()->itemCount(); ++row)
        if (window.poolList()->isTicked(row))
            names << window.poolList()->itemText(row);
    return names;
}

} // namespace

class TestKeyboardAndMemory : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString pool(const QString &name, int people)
    {
        std::vector<ProfileRecord> records;
        for (int i = 1; i <= people; ++i)
            records.push_back(person(QString("P%1").arg(i), QString("Name%1").arg(i, 4, 10, QChar('0'))));
        writePool(dir.filePath(name), records);
        return dir.filePath(name);
    }
    QString status(MainWindow &window) { return window.statusBar()->currentMessage(); }
    template <typename T = QWidget> T *find(QWidget &window, const char *name) { return window.findChild<T *>(name); }
    void click(QWidget &window, const char *name) { QTest::mouseClick(find<QAbstractButton>(window, name), Qt::LeftButton); }

private slots:
    void initTestCase()
    {
        useSeams();
        // Never the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    }
    void init() { AppSettings::setEnabled(false); }
    void cleanup() { checkSeamsUsedUp(); }

    void restoreTicksFollowsADeletion()
    {
        MainWindow window(pool("ticks.Qvr", 5));
        QVERIFY(window.startUp());
        QStringList groups;
        for (QAction *item : find<QMenu>(window, "mnuGroups")->actions().mid(0, 2))
            groups << item->text() + " " + item->shortcut().toString();
        QCOMPARE(groups, QStringList({"&Calculate Ctrl+Return", "Restore &Ticks Ctrl+Shift+T"}));

        // Records 2, 4 and 5 ticked; record 2 is deleted, so 4 and 5 are now 3 and 4.
        for (const int row : {1, 3, 4})
            window.poolList()->setTicked(row, true);
        ProfilesWindow *editor = window.profilesWindow();
        editor->loadFirstRecord();
        editor->cmdNext_Click();
        MessageBox::queueAnswer(MessageBox::Yes);
        editor->cmdDelete_Click();
        QVERIFY(ticked(window).isEmpty());
        QVERIFY2(status(window).endsWith("Restore Ticks (Ctrl+Shift+T) ticks 2 people again."), qPrintable(status(window)));

        // A save rebuilds the list again with no ticks: the same two stay to restore.
        editor->cmdSave_Click();
        window.poolList()->setTicked(0, true);
        click(window, "cmdRestoreTicks");
        QCOMPARE(ticked(window), QStringList({"Name0001, P1", "Name0004, P4", "Name0005, P5"}));
        QCOMPARE(status(window), QString("Ticked 2 people again."));
        QCOMPARE(find<QGroupBox>(window, "fraSelect")->title(), QString("Select (3 Selected)"));
    }

    void tabVisitsTheWindowInOrderAndShowsWhereItIs()
    {
        MainWindow window(pool("tabs.Qvr", 6));
        QVERIFY(window.startUp());
        QApplication::setActiveWindow(&window);
        click(window, "cmdCalculate");
        find(window, "txtFilter")->setFocus();
        QStringList stops;
        for (int i = 0; i < 30 && (stops.isEmpty() || QApplication::focusWidget()->objectName() != stops.first()); ++i) {
            QWidget *at = QApplication::focusWidget();
            stops << at->objectName();
            // A list or table shows where it is: it has a current item.
            if (auto *view = qobject_cast<QAbstractItemView *>(at))
                QVERIFY2(view->currentIndex().isValid(), qPrintable(at->objectName()));
            QTest::keyClick(at, Qt::Key_Tab);
        }
        QCOMPARE(stops, QStringList({"txtFilter", "lstSelect", "cmdSelectAll", "cmdClearAll", "cmdRestoreTicks",
                                     "optAmountGroupsDesired", "txtAmountGroupsDesired", "cmdCalculate", "txtGroups",
                                     "cmdPrint", "cmdExport", "tblQuality", "txtConflicts", "cmdImprove", "chkEvenSizes", "cmdRounds",
                                     "cmdArrangeGroups"}));
    }

    void everyControlIsNamedForScreenReaders()
    {
        MainWindow window(pool("names.Qvr", 4));
        QVERIFY(window.startUp());
        click(window, "cmdCalculate");
        find<QAction>(window, "mnuArrangeGroups")->trigger();
        auto *board = window.findChild<BoardWindow *>();
        for (QWidget *top : std::initializer_list<QWidget *>{&window, window.profilesWindow(), board}) {
            for (QWidget *control : top->findChildren<QWidget *>()) {
                const bool operable = qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control)
                    || qobject_cast<QAbstractItemView *>(control) || qobject_cast<QPlainTextEdit *>(control);
                if (!operable || control->window() != top || !control->focusPolicy() || control->inherits("QToolButton"))
                    continue;
                QVERIFY2(!accessibleText(control, QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
                QVERIFY2(!accessibleText(control, QAccessible::Description).isEmpty(), qPrintable(control->objectName()));
            }
        }
        // The painted board's groups and people can be read as items.
        auto *tree = board->findChild<QTreeView *>("treeGroups");
        QVERIFY(readsSomewhere(QAccessible::queryAccessibleInterface(tree), "Group 1: Score"));
        QVERIFY(readsSomewhere(QAccessible::queryAccessibleInterface(tree), "Name0003, P3"));
        // Choosing a person in the list makes them the board's current person.
        tree->setCurrentIndex(tree->model()->index(1, 0, tree->model()->index(0, 0)));
        QCOMPARE(board->view()->current().slot, 1);
    }

    void settingsAreRememberedBetweenRuns()
    {
        AppSettings::setEnabled(true);
        const QString first = pool("first.Qvr", 4), second = pool("second.Qvr", 2);
        QVERIFY(QDir().mkpath(dir.filePath("elsewhere")));
        {
            MainWindow window(first);
            QVERIFY(window.startUp());
            window.setGeometry(40, 50, 900, 700);
            click(window, "optPeoplePerGroup");
            QTest::keyClicks(find(window, "txtPeoplePerGroup"), "2");
            click(window, "chkEvenSizes");
            FileDialog::queueChoice(second);
            find<QAction>(window, "mnuOpenNewPool")->trigger();
            click(window, "cmdCalculate");
            find<QAction>(window, "mnuArrangeGroups")->trigger();
            window.findChild<BoardWindow *>()->resize(700, 500);
            window.findChild<BoardWindow *>()->close();
            FileDialog::queueCancel();
            window.findChild<FileDialog *>("dlgExport")->setStartFolder(dir.filePath("elsewhere"));
            find<QAction>(window, "mnuExportGroups")->trigger();
            window.close();
        }
        QVERIFY(QFile::remove(first));
        MainWindow window(second);
        QVERIFY(window.startUp());
        QCOMPARE(window.size(), QSize(900, 700));
        QVERIFY(find<QRadioButton>(window, "optPeoplePerGroup")->isChecked());
        QVERIFY(find(window, "txtPeoplePerGroup")->isEnabled() && !find(window, "txtAmountGroupsDesired")->isEnabled());
        QCOMPARE(find<QLineEdit>(window, "txtPeoplePerGroup")->text(), QString("2"));
        QVERIFY(find<QCheckBox>(window, "chkEvenSizes")->isChecked());
        // The folder of the last file chosen, not the pool's folder.
        FileDialog::queueCancel();
        window.findChild<FileDialog *>("dlgExport")->setStartFolder(dir.filePath("elsewhere"));
        find<QAction>(window, "mnuExportGroups")->trigger();
        QCOMPARE(FileDialog::shownDialogs().back().folder, dir.path());
        click(window, "cmdCalculate");
        find<QAction>(window, "mnuArrangeGroups")->trigger();
        QCOMPARE(window.findChild<BoardWindow *>()->size(), QSize(700, 500));

        // Recent pools, newest first; a missing one is greyed and can be removed.
        auto *recent = find<QMenu>(window, "mnuRecentPools");
        emit recent->aboutToShow();
        QStringList entries;
        for (QAction *item : recent->actions())
            entries << (item->isSeparator() ? "-" : item->text() + (item->isEnabled() ? "" : " (greyed)"));
        QCOMPARE(entries, QStringList({second, first + " (greyed)", "-", "Remove &Missing Pools", "&Clear List"}));
        recent->findChild<QAction *>("mnuRemoveMissingPools")->trigger();
        QCOMPARE(AppSettings::recentPools(), QStringList{second});
        // At most eight, and a recent pool opens with a click.
        for (int i = 1; i <= 9; ++i)
            AppSettings::addRecentPool(pool(QString("p%1.Qvr").arg(i), 1));
        QCOMPARE(AppSettings::recentPools().size(), 8);
        emit recent->aboutToShow();
        recent->actions().at(1)->trigger();
        QCOMPARE(window.poolPath(), dir.filePath("p8.Qvr"));
        QCOMPARE(AppSettings::recentPools().first(), dir.filePath("p8.Qvr"));
    }

    void countsReadInTheSingular()
    {
        MainWindow window(pool("one.Qvr", 1));
        QVERIFY(window.startUp());
        click(window, "cmdCalculate");
        QCOMPARE(status(window), QString("Calculated 1 group of 1 place for 1 person."));
        find<QAction>(window, "mnuArrangeGroups")->trigger();
        QCOMPARE(status(window), QString("Opened the board of 1 group."));
        FileDialog::queueChoice(dir.filePath("one.txt"));
        click(window, "cmdExport");
        QCOMPARE(status(window), QString("Exported 1 group to one.txt."));
    }

    void largeCalculateShowsBusyAndTheReadoutGrows()
    {
        MainWindow window(pool("large.Qvr", 1200));
        QVERIFY(window.startUp());
        std::optional<Qt::CursorShape> during;
        connect(window.arrangement(), &GroupArrangement::changed, this, [&] {
            if (!during)
                during = QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        });
        QTest::keyClicks(find(window, "txtAmountGroupsDesired"), "40");
        click(window, "cmdCalculate");
        QCOMPARE(during.value_or(Qt::ArrowCursor), Qt::WaitCursor);
        QVERIFY(!QGuiApplication::overrideCursor());

        QList<int> heights;
        for (const int height : {720, 1400}) {
            window.resize(820, height);
            QApplication::sendPostedEvents();
            window.centralWidget()->layout()->activate();
            heights << find(window, "tblQuality")->height() << find(window, "txtConflicts")->height();
        }
        QVERIFY2(heights.at(2) > heights.at(0) + 100 && heights.at(3) > heights.at(1), qPrintable(QString::number(heights.at(2))));
    }

    void editorOpensWithEveryTraitInSight()
    {
        MainWindow window(pool("editor.Qvr", 1));
        ProfilesWindow *editor = window.profilesWindow();
        const int screen = editor->screen()->availableGeometry().height();
        auto allInSight = [editor] {
            editor->layout()->activate();
            for (auto *list : editor->findChildren<QListWidget *>())
                if (list->visualItemRect(list->item(list->count() - 1)).bottom() >= list->viewport()->height())
                    return false;
            return true;
        };
        QVERIFY(editor->height() <= screen);
        QVERIFY(allInSight() || editor->height() >= screen - 60);
        editor->resize(640, 1600);  // the lists grow with the window
        QVERIFY(allInSight());
    }
};

QTEST_MAIN(TestKeyboardAndMemory)
#include "tst_keyboard_and_memory.moc"
