// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/RulesFixtures.h"

#include "arrangement/EarlierPartners.h"
#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"
#include "board/BoardModel.h"
#include "board/BoardView.h"
#include "board/BoardWindow.h"
#include "dialogs/MessageBox.h"
#include "dialogs/PeoplePicker.h"
#include "mainwindow/MainWindow.h"
#include "profiles/ProfilesWindow.h"
#include "ruleseditor/RulesWindow.h"
#include "rules/RulesFile.h"

#include <QStatusBar>
#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

class TestRulesWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString pool;
    const std::vector<ProfileRecord> people = {withTraits(person("Ann", "Adams"), {kExpert}),
                                               withTraits(person("Bo", "Brown"), {kExpert}), person("Cy", "Clark"),
                                               person("Di", "Dunn")};

    std::unique_ptr<MainWindow> open(const QByteArray &rules = {})
    {
        if (!rules.isNull())
            writeFile(pool + ".rules", rules);
        auto window = std::make_unique<MainWindow>(pool);
        window->startUp();
        return window;
    }
    RulesWindow *rulesWindow(MainWindow &window)
    {
        window.findChild<QAction *>("mnuRules")->trigger();
        return window.findChild<RulesWindow *>("frmRules");
    }
    QString ruleShown(RulesWindow *w, int row) { return w->findChild<QListWidget *>("lstRules")->item(row)->text(); }
    QString total(MainWindow &window) { return window.findChild<QLabel *>("lblQualityTotal")->text(); }
    // Groups of two in record order: Ann and Bo together.
    void calculated(MainWindow &window) { window.arrangement()->reset(tableOf(people, 2, {1, 2, 3, 4})); }

private slots:
    void initTestCase() { MessageBox::setTestMode(true); }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        pool = dir->filePath("Team.Qvr");
        QVERIFY(writePool(pool, people));
    }

    void addTickRemove()
    {
        auto window = open();
        RulesWindow *w = rulesWindow(*window);
        QVERIFY(w && w->isVisible());
        w->findChild<QComboBox *>("cboRuleKind")->setCurrentIndex(0);
        auto *picker = w->findChild<PeoplePicker *>("pickPeople");
        picker->setTicked(1, true);
        w->findChild<QPushButton *>("cmdAddRule")->click();
        QVERIFY(!QFile::exists(pool + ".rules"));  // one person is no rule
        picker->filterBox()->setText("brown");
        QCOMPARE(picker->list()->model()->rowCount(), 1);
        picker->setTicked(2, true);
        w->findChild<QPushButton *>("cmdAddRule")->click();
        QVERIFY(readFile(pool + ".rules").contains("\napart 1 2  # Ann Adams, Bo Brown\n"));
        QCOMPARE(ruleShown(w, 0), "Keep Ann Adams and Bo Brown apart");
        QCOMPARE(w->statusBar()->currentMessage(), "Added \"Keep Ann Adams and Bo Brown apart\".");
        w->findChild<QComboBox *>("cboRuleKind")->setCurrentIndex(2);
        w->findChild<QComboBox *>("cboTrait")->setCurrentText("Expert");
        w->findChild<QPushButton *>("cmdAddRule")->click();
        QCOMPARE(ruleShown(w, 1), "Spread Expert over the groups");

        // The read-out checks the groups against them.
        calculated(*window);
        QVERIFY2(total(*window).endsWith("; rules: 0 of 2 met"), qPrintable(total(*window)));
        QCOMPARE(window->findChild<QPlainTextEdit *>("txtRulesStatus")->toPlainText(),
                 "Broken: Keep Ann Adams and Bo Brown apart (Ann Adams and Bo Brown are both in group 1)\n"
                 "Broken: Spread Expert: 1 in every group (group 1 has 2, group 2 has 0)");

        w->findChild<QListWidget *>("lstRules")->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(readFile(pool + ".rules").contains("\noff apart 1 2"));
        QVERIFY(total(*window).endsWith("; rules: 0 of 1 met"));
        w->findChild<QCheckBox *>("chkLiftWeakest")->setChecked(true);
        QVERIFY(readFile(pool + ".rules").endsWith("\nlift-weakest\n"));
        w->findChild<QListWidget *>("lstRules")->setCurrentRow(1);
        w->findChild<QPushButton *>("cmdRemoveRule")->click();
        QVERIFY(!readFile(pool + ".rules").contains("\nspread"));
        QCOMPARE(w->findChild<QListWidget *>("lstRules")->count(), 1);

        // They belong to the pool: the next window reads them back.
        window.reset();
        auto again = open();
        QVERIFY(again->arrangement()->rules()->rules().liftWeakest);
        QCOMPARE(again->arrangement()->rules()->rules().rules.size(), std::size_t(1));
    }

    // Improve meets the rules it can, and says which it cannot and why.
    void improveInTheWindow()
    {
        auto window = open("apart 1 2\napart 1 3 4\n");
        calculated(*window);
        QVERIFY(total(*window).endsWith("; rules: 0 of 2 met"));
        window->findChild<QPushButton *>("cmdImprove")->click();
        const QString said = window->statusBar()->currentMessage();
        QVERIFY2(said.startsWith("\"Keep Ann Adams, Cy Clark and Di Dunn apart\" cannot be met: "
                                 "3 people cannot be kept apart in 2 groups.")
                     && said.endsWith(" Rules: 1 of 2 met."),
                 qPrintable(said));
        QVERIFY(total(*window).endsWith("; rules: 1 of 2 met"));
    }

    // A damaged file is said, taken as no rules, and kept until the rules change.
    void damagedFile()
    {
        const QByteArray damaged = "apart 1 2\nsprad Expert\n";
        auto window = open(damaged);
        QVERIFY2(window->statusBar()->currentMessage().contains("line 2: unknown word \"sprad\""),
                 qPrintable(window->statusBar()->currentMessage()));
        RulesWindow *w = rulesWindow(*window);
        QVERIFY(w->findChild<QLabel *>("lblRulesProblem")->text().contains("line 2"));
        calculated(*window);
        QCOMPARE(readFile(pool + ".rules"), damaged);
        w->findChild<QComboBox *>("cboRuleKind")->setCurrentIndex(4);
        w->findChild<QPushButton *>("cmdAddRule")->click();
        QVERIFY(readFile(pool + ".rules").endsWith("\nmix-positions\n"));
        QVERIFY(!w->findChild<QLabel *>("lblRulesProblem")->isVisibleTo(w));
    }

    // Deleting a person takes them out of every rule and renumbers the later records.
    void deletingPerson()
    {
        auto window = open("apart 1 2 4  # Ann Adams, Bo Brown, Di Dunn\ntogether 2 3\n");
        ProfilesWindow *editor = window->profilesWindow();
        editor->loadFirstRecord();
        editor->findChild<QPushButton *>("cmdNext")->click();
        MessageBox::queueAnswer(MessageBox::Yes);
        editor->findChild<QPushButton *>("cmdDelete")->click();
        const RulesText back = parseRules(QString::fromUtf8(readFile(pool + ".rules")));
        QCOMPARE(back.rules.rules.size(), std::size_t(1));
        QCOMPARE(back.rules.rules[0].records, (std::vector<int>{1, 3}));
        QCOMPARE(back.rules.rules[0].names, (QStringList{"Ann Adams", "Di Dunn"}));
        QVERIFY2(window->statusBar()->currentMessage().contains("Took them out of 2 rules"),
                 qPrintable(window->statusBar()->currentMessage()));
    }

    // The tick for earlier partners names the rounds chosen in plain words.
    void earlierPartnersWords_data()
    {
        QTest::addColumn<std::vector<char>>("counted");
        QTest::addColumn<QString>("words");
        QTest::newRow("none yet") << std::vector<char>{} << "Avoid earlier partners (no rounds yet: Groups, Add as a Round)";
        QTest::newRow("none chosen") << std::vector<char>{0, 0} << "Avoid earlier partners (no round chosen)";
        QTest::newRow("one") << std::vector<char>{0, 1} << "Avoid partners of round 2";
        QTest::newRow("span and more") << std::vector<char>{1, 1, 1, 0, 1, 0, 1, 1} << "Avoid partners of rounds 1–3, 5, 7 and 8";
    }
    void earlierPartnersWords()
    {
        QFETCH(std::vector<char>, counted);
        EarlierPartners partners;
        partners.setCounted(counted);
        QTEST(partners.text(), "words");
    }

    void boardKeepApartAndMarks()
    {
        auto window = open();
        calculated(*window);
        window->mnuArrangeGroups_Click();
        auto *board = window->findChild<BoardWindow *>();
        board->view()->setCurrent({0, 0});
        PeoplePicker::queueAnswer({2});
        board->findChild<QAction *>("mnuKeepApartFrom")->trigger();
        QVERIFY(readFile(pool + ".rules").contains("\napart 1 2  # Ann Adams, Bo Brown\n"));
        QVERIFY(board->model()->breaksRule({0, 1}) && !board->model()->breaksRule({1, 0}));
        QVERIFY(board->model()->groupToolTip(0).contains("Breaks the rule: Keep Ann Adams and Bo Brown apart"));
        board->model()->swap({0, 1}, {1, 0});  // a hand move mends it
        QVERIFY(!board->model()->breaksRule({0, 0}) && board->model()->rulesBrokenIn(0).isEmpty());
        board->view()->setCurrent({0, 0});
        PeoplePicker::queueAnswer({2});
        board->findChild<QAction *>("mnuKeepTogetherWith")->trigger();
        QVERIFY(board->model()->groupToolTip(1).contains("Breaks the rule: Keep Ann Adams and Bo Brown together"));
    }
};

QTEST_MAIN(TestRulesWindow)
#include "tst_rules_window.moc"
