// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/CommandLine.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "help/HelpWindow.h"
#include "pool/AtomicFile.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QMessageBox>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QProcess>
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

    static QStringList describe(const QList<QAction *> &actions)
    {
        QStringList items;
        for (QAction *a : actions)
            items << (a->isSeparator() ? QStringLiteral("-")
                                       : QStringList{a->objectName(), a->text(), a->shortcut().toString()}.join(' '));
        return items;
    }

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }

    void controlsAndMenusReadAsWritten()
    {
        MainWindow window(threePeoplePool());
        for (const auto &[name, caption] : {std::pair{"cmdSelectAll", "Select All"}, {"cmdClearAll", "Clear All"},
                                            {"cmdCalculate", "Calculate"}, {"cmdPrint", "Print"},
                                            {"cmdExport", "Export"}})
            QCOMPARE(window.findChild<QPushButton *>(name)->text(), QString(caption));
        auto *amount = window.findChild<QRadioButton *>("optAmountGroupsDesired");
        auto *perGroup = window.findChild<QRadioButton *>("optPeoplePerGroup");
        QCOMPARE(amount->text() + perGroup->text(), QStringLiteral("Amount of Groups Desired:People Per Group:"));
        QVERIFY(amount->isChecked() && !perGroup->isChecked());
        QVERIFY(window.findChild<QLineEdit *>("txtAmountGroupsDesired")->isEnabled());
        QVERIFY(!window.findChild<QLineEdit *>("txtPeoplePerGroup")->isEnabled());
        QCOMPARE(window.findChild<QGroupBox *>("fraGroups")->title(), QStringLiteral("Groups"));
        QVERIFY(window.findChild<QWidget *>("txtGroups") && window.findChild<QListView *>("lstSelect"));

        QStringList bar;
        for (QAction *item : window.menuBar()->actions())
            bar << item->text();
        QCOMPARE(bar, QStringList({"&File", "P&rofiles...", "Gro&ups", "&Help"}));
        QCOMPARE(describe(window.findChild<QMenu *>("mnuFile")->actions()),
                 QStringList({"mnuOpenNewPool Ope&n/New Pool... Ctrl+O", " &Recent Pools ", "-",
                              "mnuImportPeople &Import People... ", "mnuExportPoolCsv Export Pool as &CSV... ",
                              "mnuOpenGroups Op&en Groups... ", "mnuSaveGroups Sa&ve Groups... Ctrl+S",
                              "mnuExportGroups Exp&ort Groups... ", "mnuExportGroupsCsv Export Groups as C&SV... ",
                              "mnuPrintPool Print &Pool Ctrl+P", "mnuPrintGroups Print &Groups Ctrl+G", "-",
                              "mnuExit E&xit Ctrl+Q"}));
        QCOMPARE(describe(window.findChild<QMenu *>("mnuHelp")->actions()),
                 QStringList({"mnuTopics &Topics ", "-", "mnuAbout &About "}));
    }

    void listAndTicksFollowThePool()
    {
        const QString pool = threePeoplePool();
        MainWindow window(pool);
        QVERIFY(window.startUp());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorvia - ") + pool);
        const PoolListModel *list = window.poolList();
        QStringList items;
        for (int row = 0; row < list->itemCount(); ++row)
            items << QStringLiteral("%1 %2").arg(list->recordNumber(row)).arg(list->itemText(row));
        QCOMPARE(items, QStringList({"3 Adams", "2 Lee, Ann (Clerk)", "1 Zed"}));

        auto *caption = window.findChild<QGroupBox *>("fraSelect");
        auto click = [&](const char *button) {
            QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);
            return caption->title();
        };
        QCOMPARE(caption->title(), QStringLiteral("Select (0 Selected)"));
        QCOMPARE(click("cmdSelectAll"), QStringLiteral("Select (3 Selected)"));
        // Space on the current item toggles its box, as a click would.
        auto *view = window.findChild<QListView *>("lstSelect");
        view->setFocus();
        view->setCurrentIndex(view->model()->index(1, 0));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(caption->title(), QStringLiteral("Select (2 Selected)"));
        QVERIFY(!list->isTicked(1) && list->isTicked(0));
        QCOMPARE(click("cmdClearAll"), QStringLiteral("Select (0 Selected)"));
        QVERIFY(!list->isTicked(0) && !list->isTicked(2));
        click("cmdSelectAll");
        QVERIFY(window.LoadPoolList());  // a rebuild drops every tick
        QCOMPARE(caption->title(), QStringLiteral("Select (0 Selected)"));

        window.findChild<QAction *>("mnuExit")->trigger();
        QVERIFY(!window.isVisible());
    }

    void failedStartUpNamesThePoolAndStops()
    {
        const QString pool = dir.filePath(QStringLiteral("no-such-folder/General.Qvr"));
        MainWindow window(pool);
        MessageBox::queueAnswer(MessageBox::Ok);
        QVERIFY(!window.startUp());
        QVERIFY(!window.isVisible());
        const MessageBox::Shown &box = MessageBox::shownBoxes().at(0);
        QCOMPARE(box.style, MessageBox::Style::Warning);
        QVERIFY2(box.text.contains(pool) && box.text.contains("No such file or directory"), qPrintable(box.text));
    }

    void emptyPoolOpensTheEditorAndExitOffersToSave()
    {
        const QString pool = dir.filePath(QStringLiteral("General.Qvr"));  // not there yet
        MainWindow window(pool);
        QString editorCaption;
        QTimer::singleShot(0, this, [&] {
            QWidget *editor = QApplication::activeModalWidget();
            editorCaption = editor ? editor->windowTitle() : QString();
            if (editor)
                editor->close();
        });
        QVERIFY(window.startUp());
        QCOMPARE(editorCaption, QStringLiteral("Profiles - 1 (0 Saved)"));
        QVERIFY(QFileInfo::exists(pool));

        // A change left in the editor is offered for saving on the way out.
        window.profilesWindow()->findChild<QLineEdit *>("txtFirstName")->setText(QStringLiteral("Ann"));
        MessageBox::queueAnswer(MessageBox::Yes);
        window.close();
        QCOMPARE(MessageBox::shownBoxes().at(0).style, MessageBox::Style::QuestionDefaultNo);
        QCOMPARE(readFile(pool), poolBytes({person("Ann", "")}));
    }

    void commandLineNamesThePool()
    {
        QCOMPARE(parseCommandLine({}, dir.path(), "/unused").poolPath, dir.filePath("General.Qvr"));
        // A program folder the user cannot write in (here: one that is not there) is passed over.
        const QString userData = dir.filePath(QStringLiteral("data/Quorvia"));
        QCOMPARE(parseCommandLine({}, "/opt/no-such-quorvia/bin", userData).poolPath, userData + "/General.Qvr");
        QVERIFY(QFileInfo(userData).isDir());
        QCOMPARE(int(QFileInfo(userData).permissions() & 0x7077), 0x7000);  // personal data: the owner's alone
        // So is the folder of an installed program, even for a user who may write there (root).
        QVERIFY(QDir().mkpath(dir.filePath("usr/bin")) && QDir().mkpath(dir.filePath("usr/share/quorvia")));
        QVERIFY(writeFile(dir.filePath("usr/share/quorvia/Quorvia.html"), "help"));
        QCOMPARE(parseCommandLine({}, dir.filePath("usr/bin"), userData).poolPath, userData + "/General.Qvr");
        // Quotes around the path are removed; nothing else is cut.
        for (const auto &[argument, path] : {std::pair{"\"/home/ann/Sales.Qvr\"", "/home/ann/Sales.Qvr"},
                                             {"/home/ann/Sales.Qvr", "/home/ann/Sales.Qvr"},
                                             {"\"Sales.Qvr", "\"Sales.Qvr"}}) {
            const StartupRequest request = parseCommandLine({argument}, QString());
            QCOMPARE(request.kind, StartupRequest::OpenPool);
            QCOMPARE(request.poolPath, QString(path));
        }
        QCOMPARE(parseCommandLine({"\"\""}, QString()).kind, StartupRequest::UsageError);
        const StartupRequest two = parseCommandLine({"a.Qvr", "b.Qvr"}, QString());
        QCOMPARE(two.kind, StartupRequest::UsageError);
        QVERIFY(two.message.contains(QStringLiteral("Usage: quorvia [POOL]")));
        // Options are answered or refused, never taken for a pool; "--" ends them.
        for (const auto &[arguments, kind, path] :
             {std::tuple{QStringList{"--version"}, StartupRequest::ShowVersion, ""},
              {QStringList{"--help"}, StartupRequest::ShowUsage, ""},
              {QStringList{"--verison"}, StartupRequest::UsageError, ""},
              {QStringList{"-x"}, StartupRequest::UsageError, ""},
              {QStringList{"--version", "a.Qvr"}, StartupRequest::UsageError, ""},
              {QStringList{"--", "-x"}, StartupRequest::OpenPool, "./-x"},
              {QStringList{"./-x"}, StartupRequest::OpenPool, "./-x"},
              {QStringList{"-"}, StartupRequest::OpenPool, "./-"}}) {
            const StartupRequest request = parseCommandLine(arguments, QString());
            QCOMPARE(request.kind, kind);
            QCOMPARE(request.poolPath, QString(path));
        }
    }

    void bothProgramsAnswerVersionAndHelpAndRefuseOptions()
    {
        // Run where a pool file made by mistake would show up.
        QTemporaryDir here;
        const QString app = qEnvironmentVariable("QUORVIA_APP"), cli = qEnvironmentVariable("QUORVIA_CLI");
        for (const auto &[program, arguments, status, output] :
             {std::tuple{app, QStringList{"--version"}, 0, "quorvia 1."},
              {app, QStringList{"--help"}, 0, "Usage: quorvia [POOL]"},
              {cli, QStringList{"--version"}, 0, "quorvia-cli 1."},
              {cli, QStringList{"--verison"}, 2, ""},
              {cli, QStringList{"list", "-x"}, 2, ""}}) {
            QProcess process;
            process.setWorkingDirectory(here.path());
            process.start(program, arguments);
            QVERIFY2(process.waitForStarted(), qPrintable(program + " is not built"));
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitCode(), status);
            QVERIFY2(process.readAllStandardOutput().startsWith(output), qPrintable(arguments.join(' ')));
        }
        QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void filterFindsPeopleAndKeepsHiddenTicks()
    {
        const QString pool = dir.filePath(QStringLiteral("find.Qvr"));
        writePool(pool, {person("Émile", "Zola"), person("Ann", "Lee"), person("Anna", "Bell"), person("Bob", "Ray", "Chef")});
        MainWindow window(pool);
        QVERIFY(window.startUp());
        auto *filter = window.findChild<QLineEdit *>(QStringLiteral("txtFilter"));
        auto *view = window.findChild<QListView *>(QStringLiteral("lstSelect"));
        auto *caption = window.findChild<QGroupBox *>(QStringLiteral("fraSelect"));
        auto shown = [&] {
            QStringList texts;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                texts << view->model()->index(row, 0).data().toString();
            return texts;
        };
        // Every typed word must be found, in any order and case; the position counts.
        for (const auto &[typed, found] : {std::pair{"  LEE   ann ", QStringList{"Lee, Ann"}},
                                           {"chef RAY", QStringList{"Ray, Bob (Chef)"}}, {"ann zzz", QStringList{}}}) {
            filter->setText(typed);
            QCOMPARE(shown(), found);
        }
        filter->clear();
        QTest::keyClicks(filter, QStringLiteral("ANN "));
        QCOMPARE(shown(), QStringList({"Bell, Anna", "Lee, Ann"}));
        QTest::mouseClick(window.findChild<QPushButton *>("cmdSelectAll"), Qt::LeftButton);  // the two shown
        filter->setText(QStringLiteral("emile zo"));
        QCOMPARE(shown(), QStringList{"Zola, Émile"});
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(caption->title(), QStringLiteral("Select (3 Selected)"));  // hidden ticks count too
        filter->setText(QStringLiteral("bell"));
        QTest::mouseClick(window.findChild<QPushButton *>("cmdClearAll"), Qt::LeftButton);
        filter->clear();
        QCOMPARE(shown(), QStringList({"Bell, Anna", "Lee, Ann", "Ray, Bob (Chef)", "Zola, Émile"}));
        QCOMPARE(caption->title(), QStringLiteral("Select (2 Selected)"));
        QVERIFY(window.poolList()->isTicked(1) && window.poolList()->isTicked(3));

        // Double-click or Enter on a person opens the editor at that record.
        QStringList captions;
        for (bool enter : {false, true}) {
            QTimer::singleShot(0, this, [&] {
                captions << QApplication::activeModalWidget()->windowTitle();
                QApplication::activeModalWidget()->close();
            });
            const QModelIndex ray = view->model()->index(2, 0);
            view->setCurrentIndex(ray);
            enter ? QTest::keyClick(view, Qt::Key_Return)
                  : QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(ray).center());
        }
        QCOMPARE(captions, QStringList(2, "Profiles - 4 (4 Saved)"));

        // The filter holds across a rebuild of the list (here: Bob Ray becomes Ann Cole).
        writePool(pool, {person("Émile", "Zola"), person("Ann", "Lee"), person("Anna", "Bell"), person("Ann", "Cole")});
        filter->setText(QStringLiteral("ann"));
        QVERIFY(window.LoadPoolList());
        QCOMPARE(shown(), QStringList({"Bell, Anna", "Cole, Ann", "Lee, Ann"}));

        QTest::keyClick(view, Qt::Key_F1);
        QVERIFY(window.findChild<HelpWindow *>() && window.findChild<HelpWindow *>()->isVisible());
    }

    void secondWindowOnAPoolIsReadOnlyOrNotOpened()
    {
        const QString pool = threePeoplePool();
        QVERIFY(writeFile(temporaryNameFor(pool), "left by a killed deletion"));
        MainWindow first(pool);
        QVERIFY(first.startUp());
        QVERIFY(!QFileInfo::exists(temporaryNameFor(pool)));
        MainWindow second(pool);
        MessageBox::queueAnswer(MessageBox::Yes);
        QVERIFY(second.startUp());
        QVERIFY(MessageBox::shownBoxes().at(0).text.contains(QString::number(QCoreApplication::applicationPid())));
        QVERIFY(second.poolIsReadOnly() && !first.poolIsReadOnly());
        // Saving and deleting are refused, and say why.
        ProfilesWindow *editor = second.profilesWindow();
        editor->loadFirstRecord();
        editor->findChild<QLineEdit *>("txtPosition")->setText("Boss");
        MessageBox::queueAnswer(MessageBox::Ok);
        QVERIFY(!editor->cmdSave_Click());
        MessageBox::queueAnswer(MessageBox::Ok);
        editor->cmdDelete_Click();
        MessageBox::queueAnswer(MessageBox::Ok);
        second.findChild<QAction *>("mnuImportPeople")->trigger();
        for (int box = 1; box <= 3; ++box)
            QVERIFY(MessageBox::shownBoxes().at(box).text.contains("is open read-only"));
        QCOMPARE(readFile(pool), poolBytes({person("", "Zed"), person("Ann", "Lee", "Clerk"), person("", "Adams")}));
        MainWindow third(pool);
        MessageBox::queueAnswer(MessageBox::No);
        QVERIFY(!third.startUp());
    }

    void questionsIgnoreEscapeAndClose()
    {
        MessageBox::setTestMode(false);
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            seen << QString::number(box->isVisible());
            box->button(QMessageBox::Yes)->click();
        });
        const auto answer = MessageBox::show(nullptr, QStringLiteral("Save?"), MessageBox::Style::QuestionDefaultNo);
        MessageBox::setTestMode(true);
        QCOMPARE(seen, QStringList{"1"});
        QCOMPARE(answer, MessageBox::Yes);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
