#include "mainwindow/CommandLine.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "support/PoolFixtures.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString threePeoplePool()
    {
        const QString pool = dir.filePath(QStringLiteral("three.Qvr"));
        writePool(pool, {person("", "Zed"), person("Ann", "Lee", "Clerk"), person("", "Adams")});
        return pool;
    }

    static QString selectCaption(MainWindow &window)
    {
        return window.findChild<QGroupBox *>(QStringLiteral("fraSelect"))->title();
    }

private slots:
    void initTestCase() { MessageBox::setTestMode(true); }
    void cleanup()
    {
        QCOMPARE(MessageBox::pendingAnswers(), 0);
        MessageBox::clearShownBoxes();
    }

    void controlsCarryTheirNamesAndCaptions()
    {
        MainWindow window(threePeoplePool());
        const QList<QPair<QString, QString>> buttons = {
            {"cmdSelectAll", "Select All"}, {"cmdClearAll", "Clear All"}, {"cmdCalculate", "Calculate"},
            {"cmdPrint", "Print"}, {"cmdExport", "Export"},
        };
        for (const auto &[name, caption] : buttons) {
            auto *button = window.findChild<QPushButton *>(name);
            QVERIFY2(button, qPrintable(name));
            QCOMPARE(button->text(), caption);
        }
        auto *amount = window.findChild<QRadioButton *>(QStringLiteral("optAmountGroupsDesired"));
        auto *perGroup = window.findChild<QRadioButton *>(QStringLiteral("optPeoplePerGroup"));
        QCOMPARE(amount->text(), QStringLiteral("Amount of Groups Desired:"));
        QCOMPARE(perGroup->text(), QStringLiteral("People Per Group:"));
        QVERIFY(amount->isChecked() && !perGroup->isChecked());
        auto *amountBox = window.findChild<QLineEdit *>(QStringLiteral("txtAmountGroupsDesired"));
        auto *perGroupBox = window.findChild<QLineEdit *>(QStringLiteral("txtPeoplePerGroup"));
        QVERIFY(amountBox->isEnabled() && amountBox->text().isEmpty() && amountBox->maxLength() == 3);
        QVERIFY(!perGroupBox->isEnabled() && perGroupBox->text().isEmpty() && perGroupBox->maxLength() == 3);
        QCOMPARE(window.findChild<QGroupBox *>(QStringLiteral("fraGroups"))->title(), QStringLiteral("Groups"));
        QVERIFY(window.findChild<QWidget *>(QStringLiteral("txtGroups")));
        QVERIFY(window.findChild<QListView *>(QStringLiteral("lstSelect")));
    }

    void menusReadAsWritten()
    {
        MainWindow window(threePeoplePool());
        QStringList bar;
        for (QAction *action : window.menuBar()->actions())
            bar << action->text();
        QCOMPARE(bar, QStringList({"&File", "P&rofiles...", "&Help"}));

        auto describe = [](QMenu *menu) {
            QStringList items;
            for (QAction *action : menu->actions())
                items << (action->isSeparator() ? QStringLiteral("-")
                                                : action->objectName() + QLatin1Char(' ') + action->text() + QLatin1Char(' ')
                                                      + action->shortcut().toString());
            return items;
        };
        QCOMPARE(describe(window.findChild<QMenu *>(QStringLiteral("mnuFile"))),
                 QStringList({"mnuOpenNewPool Ope&n/New Pool... Ctrl+O", "-", "mnuExportGroups Exp&ort Groups... ",
                              "mnuPrintPool Print &Pool Ctrl+P", "mnuPrintGroups Print &Groups Ctrl+G", "-",
                              "mnuExit E&xit Ctrl+Q"}));
        QCOMPARE(describe(window.findChild<QMenu *>(QStringLiteral("mnuHelp"))),
                 QStringList({"mnuTopics &Topics ", "-", "mnuAbout &About "}));
    }

    void startUpListsThePoolUnderItsCaption()
    {
        const QString pool = threePeoplePool();
        MainWindow window(pool);
        QVERIFY(window.startUp());
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvia - ") + pool);
        QCOMPARE(selectCaption(window), QStringLiteral("Select (0 Selected)"));

        const PoolListModel *list = window.poolList();
        QCOMPARE(list->itemCount(), 3);
        QCOMPARE(list->itemText(0), QStringLiteral("Adams"));
        QCOMPARE(list->recordNumber(0), 3);
        QCOMPARE(list->itemText(1), QStringLiteral("Lee, Ann (Clerk)"));
        QCOMPARE(list->recordNumber(1), 2);
        QCOMPARE(list->itemText(2), QStringLiteral("Zed"));
        QCOMPARE(list->recordNumber(2), 1);
        window.close();
    }

    void ticksAreCountedInTheCaption()
    {
        MainWindow window(threePeoplePool());
        QVERIFY(window.startUp());
        auto *list = window.findChild<QListView *>(QStringLiteral("lstSelect"));
        auto *selectAll = window.findChild<QPushButton *>(QStringLiteral("cmdSelectAll"));
        auto *clearAll = window.findChild<QPushButton *>(QStringLiteral("cmdClearAll"));

        QTest::mouseClick(selectAll, Qt::LeftButton);
        QCOMPARE(selectCaption(window), QStringLiteral("Select (3 Selected)"));

        // Untick one item by hand: Space on the current item toggles its box.
        list->setFocus();
        list->setCurrentIndex(window.poolList()->index(1));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(selectCaption(window), QStringLiteral("Select (2 Selected)"));
        QVERIFY(!window.poolList()->isTicked(1));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(selectCaption(window), QStringLiteral("Select (3 Selected)"));

        QTest::mouseClick(clearAll, Qt::LeftButton);
        QCOMPARE(selectCaption(window), QStringLiteral("Select (0 Selected)"));
        for (int row = 0; row < 3; ++row)
            QVERIFY(!window.poolList()->isTicked(row));

        // A rebuild of the list drops every tick.
        QTest::mouseClick(selectAll, Qt::LeftButton);
        QVERIFY(window.LoadPoolList());
        QCOMPARE(selectCaption(window), QStringLiteral("Select (0 Selected)"));
        window.close();
    }

    void failedStartUpNamesThePoolAndStops()
    {
        const QString pool = dir.filePath(QStringLiteral("no-such-folder/General.Qvr"));
        MainWindow window(pool);
        MessageBox::queueAnswer(MessageBox::Ok);
        QVERIFY(!window.startUp());
        QVERIFY(!window.isVisible());
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
        const MessageBox::Shown &box = MessageBox::shownBoxes().front();
        QCOMPARE(box.style, MessageBox::Style::Warning);
        QVERIFY2(box.text.contains(pool) && box.text.contains(QStringLiteral("No such file or directory")),
                 qPrintable(box.text));
    }

    void exitClosesTheWindow()
    {
        MainWindow window(threePeoplePool());
        QVERIFY(window.startUp());
        window.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(!window.isVisible());
    }

    void commandLineNamesThePool()
    {
        StartupRequest request = parseCommandLine({}, QStringLiteral("/opt/quorvia/bin"));
        QCOMPARE(request.kind, StartupRequest::OpenPool);
        QCOMPARE(request.poolPath, QStringLiteral("/opt/quorvia/bin/General.Qvr"));

        request = parseCommandLine({QStringLiteral("\"/home/ann/Sales.Qvr\"")}, QString());
        QCOMPARE(request.poolPath, QStringLiteral("/home/ann/Sales.Qvr"));
        // Unquoted, as shells and file managers pass it here: nothing is cut.
        request = parseCommandLine({QStringLiteral("/home/ann/Sales.Qvr")}, QString());
        QCOMPARE(request.poolPath, QStringLiteral("/home/ann/Sales.Qvr"));
        request = parseCommandLine({QStringLiteral("\"Sales.Qvr")}, QString());
        QCOMPARE(request.poolPath, QStringLiteral("\"Sales.Qvr"));

        request = parseCommandLine({QStringLiteral("\"\"")}, QString());
        QCOMPARE(request.kind, StartupRequest::UsageError);
        request = parseCommandLine({QStringLiteral("a.Qvr"), QStringLiteral("b.Qvr")}, QString());
        QCOMPARE(request.kind, StartupRequest::UsageError);
        QVERIFY(request.message.contains(QStringLiteral("Usage: quorvia [POOL]")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
