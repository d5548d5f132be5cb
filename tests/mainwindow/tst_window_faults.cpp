// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "dialogs/FileDialog.h"
#include "dialogs/LinePrinter.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/MainWindow.h"
#include "support/PoolFixtures.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

// The main window's behaviours that a user leans on without noticing: the
// filter, the groups box's place, and the mark of groups not handed out.
class TestWindowFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // Ticks nobody (so everybody takes part) and calculates groups of `size`.
    static void calculate(MainWindow &window, const QString &size)
    {
        window.findChild<QRadioButton *>("optPeoplePerGroup")->click();
        auto *box = window.findChild<QLineEdit *>("txtPeoplePerGroup");
        box->clear();
        QTest::keyClicks(box, size);
        QTest::mouseClick(window.findChild<QPushButton *>("cmdCalculate"), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        MessageBox::setTestMode(true);
        FileDialog::setTestMode(true);
        LinePrinter::setTestMode(true);
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::pendingAnswers(), 0);
        QCOMPARE(FileDialog::pendingChoices(), 0);
        QCOMPARE(LinePrinter::pendingJobs(), 0);
        MessageBox::clearShownBoxes();
    }

    // Every typed word must be found, in any order and case, accents ignored.
    void filterNeedsEveryWord_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("other order, case, blanks") << "  LEE   Ann " << QStringList{"Lee, Ann"};
        QTest::newRow("position") << "lee chef" << QStringList{"Lee, Bob (Chef)"};
        QTest::newRow("accents") << "zola EMILE" << QStringList{"Zola, \u00C9mile"};
        QTest::newRow("one word missing") << "ann zzz" << QStringList{};
    }
    void filterNeedsEveryWord()
    {
        QFETCH(QString, typed);
        const QString pool = dir.filePath("find.Qvr");
        QVERIFY(writePool(pool, {person("Ann", "Lee"), person("Anna", "Bell"), person("Bob", "Lee", "Chef"),
                                 person("\u00C9mile", "Zola")}));
        MainWindow window(pool);
        QVERIFY(window.startUp());
        QTest::keyClicks(window.findChild<QLineEdit *>("txtFilter"), typed);
        const QAbstractItemModel *list = window.findChild<QListView *>("lstSelect")->model();
        QStringList shown;
        for (int row = 0; row < list->rowCount(); ++row)
            shown << list->index(row, 0).data().toString();
        QTEST(shown, "shown");
    }

    // A change of the groups leaves the box where the user scrolled it; only
    // new groups start at the top.
    void groupsBoxKeepsItsPlace()
    {
        std::vector<ProfileRecord> people;
        for (int i = 0; i < 59; ++i)
            people.push_back(person(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i)));
        const QString pool = dir.filePath("many.Qvr");
        QVERIFY(writePool(pool, people));
        MainWindow window(pool);
        QVERIFY(window.startUp());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        calculate(window, "2");  // 30 groups, the last with a free place
        auto *scroll = window.findChild<QPlainTextEdit *>("txtGroups")->verticalScrollBar();
        QVERIFY(scroll->maximum() > 20);
        const int place = scroll->maximum() / 2;
        scroll->setValue(place);

        GroupArrangement *groups = window.arrangement();
        QVERIFY(groups->moveToGroup({0, 0}, 29).isEmpty());
        QCOMPARE(scroll->value(), place);
        QVERIFY(groups->swap({1, 0}, {2, 1}).isEmpty());
        QCOMPARE(scroll->value(), place);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(scroll->value(), place);

        MessageBox::queueAnswer(MessageBox::Discard);  // lose the moved groups
        calculate(window, "3");
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
        const QString pool = dir.filePath("four.Qvr");
        QVERIFY(writePool(pool, {person("Ann", "Lee"), person("Bob", "Ray"), person("Cy", "Oz")}));
        MainWindow window(pool);
        QVERIFY(window.startUp());
        calculate(window, "2");
        QVERIFY(window.arrangement()->moveToGroup({0, 0}, 1).isEmpty());
        const GroupTable moved = window.Groups;

        if (command == "cmdPrint cancelled")
            LinePrinter::queueCancel();
        else if (command.contains("Print"))
            LinePrinter::queuePdf(dir.filePath("out.pdf"));
        else if (command == "cmdExport")
            FileDialog::queueChoice(dir.filePath("groups.txt"));
        if (!command.isEmpty()) {
            const QString name = command.section(' ', 0, 0);
            if (auto *button = window.findChild<QPushButton *>(name))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                window.findChild<QAction *>(name)->trigger();
        }

        if (asks)
            MessageBox::queueAnswer(MessageBox::No);
        calculate(window, "2");
        QCOMPARE(int(MessageBox::shownBoxes().size()), asks ? 1 : 0);
        QCOMPARE(window.Groups.slotRecords == moved.slotRecords, asks);
    }
};

QTEST_MAIN(TestWindowFaults)
#include "tst_window_faults.moc"
