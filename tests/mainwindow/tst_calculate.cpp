#include "mainwindow/MainWindow.h"
#include "mainwindow/MessageBox.h"
#include "mainwindow/PoolListModel.h"
#include "pool/PoolFile.h"
#include "support/PoolFixtures.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The window's controls, found by their names.
struct Controls {
    explicit Controls(MainWindow &w)
        : window(w), list(w.findChild<QListView *>(QStringLiteral("lstSelect"))),
          amount(w.findChild<QRadioButton *>(QStringLiteral("optAmountGroupsDesired"))),
          amountBox(w.findChild<QLineEdit *>(QStringLiteral("txtAmountGroupsDesired"))),
          perGroup(w.findChild<QRadioButton *>(QStringLiteral("optPeoplePerGroup"))),
          perGroupBox(w.findChild<QLineEdit *>(QStringLiteral("txtPeoplePerGroup"))),
          calculate(w.findChild<QPushButton *>(QStringLiteral("cmdCalculate"))),
          groups(w.findChild<QPlainTextEdit *>(QStringLiteral("txtGroups"))),
          selectFrame(w.findChild<QGroupBox *>(QStringLiteral("fraSelect")))
    {
    }

    // Space on an item toggles its tick, as a user would do it.
    void tick(int row)
    {
        list->setFocus();
        list->setCurrentIndex(window.poolList()->index(row));
        QTest::keyClick(list, Qt::Key_Space);
    }

    void typeInto(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

    MainWindow &window;
    QListView *list;
    QRadioButton *amount;
    QLineEdit *amountBox;
    QRadioButton *perGroup;
    QLineEdit *perGroupBox;
    QPushButton *calculate;
    QPlainTextEdit *groups;
    QGroupBox *selectFrame;
};

QStringList lastNames(const GroupTable &groups)
{
    QStringList names;
    for (const ProfileRecord &r : groups.slotRecords)
        names << (r.HasData == 0 ? QStringLiteral("-") : trimmedField(r.LastName));
    return names;
}

} // namespace

class TestCalculate : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Records in file order; the list shows them alphabetically.
    QString poolOf(const QString &name, const std::vector<ProfileRecord> &records)
    {
        const QString path = dir.filePath(name);
        writePool(path, records);
        return path;
    }

    QString sevenPeople()
    {
        return poolOf(QStringLiteral("seven.Qvr"),
                      {person("", "Gray"), person("", "Cole"), person("", "Ames"), person("", "Fox"),
                       person("", "Bell"), person("", "Eden"), person("", "Dunn")});
    }

private slots:
    void initTestCase() { MessageBox::setTestMode(true); }
    void cleanup()
    {
        QCOMPARE(MessageBox::pendingAnswers(), 0);
        MessageBox::clearShownBoxes();
    }

    void optionsEnableTheirBoxes()
    {
        MainWindow window(sevenPeople());
        QVERIFY(window.startUp());
        Controls c(window);
        c.typeInto(c.amountBox, QStringLiteral("5"));

        QTest::mouseClick(c.perGroup, Qt::LeftButton);
        QVERIFY(c.perGroup->isChecked() && !c.amount->isChecked());
        QVERIFY(!c.amountBox->isEnabled() && c.perGroupBox->isEnabled());
        QCOMPARE(c.amountBox->text(), QStringLiteral("5"));  // greyed, still there
        QCOMPARE(c.amountBox->focusPolicy(), Qt::NoFocus);
        QCOMPARE(c.perGroupBox->focusPolicy(), Qt::StrongFocus);

        // Choosing the chosen option again changes nothing.
        QTest::mouseClick(c.perGroup, Qt::LeftButton);
        QVERIFY(c.perGroup->isChecked() && !c.amountBox->isEnabled() && c.perGroupBox->isEnabled());

        c.typeInto(c.perGroupBox, QStringLiteral("3"));
        QTest::mouseClick(c.amount, Qt::LeftButton);
        QVERIFY(c.amountBox->isEnabled() && !c.perGroupBox->isEnabled());
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("3"));
        QCOMPARE(c.amountBox->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(c.perGroupBox->focusPolicy(), Qt::NoFocus);

        window.close();
    }

    void boxesTakeThreeDigitsOnly()
    {
        MainWindow window(sevenPeople());
        QVERIFY(window.startUp());
        Controls c(window);
        QLineEdit *box = c.amountBox;
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("12a"));
        QCOMPARE(box->text(), QStringLiteral("12"));
        QTest::keyClicks(box, QStringLiteral("3"));
        QTest::keyClicks(box, QStringLiteral("4"));
        QCOMPARE(box->text(), QStringLiteral("123"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("12"));
        QTest::keyClicks(box, QStringLiteral("- .+e"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), QStringLiteral("12"));

        // Pasted text goes through the same filter.
        QClipboard *clipboard = QApplication::clipboard();
        for (const QString &nonsense : {QStringLiteral("1e5"), QStringLiteral("-4"), QStringLiteral("2.5"),
                                        QStringLiteral(" 7"), QStringLiteral("x")}) {
            box->clear();
            clipboard->setText(nonsense);
            box->paste();
            QVERIFY2(box->text().isEmpty(), qPrintable(nonsense + QLatin1String(" -> ") + box->text()));
        }
        clipboard->setText(QStringLiteral("007"));
        box->paste();
        QCOMPARE(box->text(), QStringLiteral("007"));
        window.close();
    }

    void emptyPoolOnlySaysSo()
    {
        const QString pool = poolOf(QStringLiteral("empty.Qvr"), {});
        MainWindow window(pool);
        QVERIFY(window.LoadPoolList());
        Controls c(window);
        c.typeInto(c.amountBox, QStringLiteral("0"));
        c.groups->setPlainText(QStringLiteral("earlier groups"));

        MessageBox::queueAnswer(MessageBox::Ok);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
        QCOMPARE(MessageBox::shownBoxes().front().text, QStringLiteral("No profile data has been entered."));
        QCOMPARE(MessageBox::shownBoxes().front().style, MessageBox::Style::Warning);
        QCOMPARE(c.amountBox->text(), QStringLiteral("0"));
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("earlier groups"));
        QCOMPARE(window.Groups.NumGroups, 0);
        QCOMPARE(PoolFile::fileSize(pool), qint64(0));
    }

    void defaultsAreWrittenBack()
    {
        MainWindow window(sevenPeople());
        QVERIFY(window.startUp());
        Controls c(window);

        // Nothing ticked, per group chosen with an empty box: all seven in one group.
        QTest::mouseClick(c.perGroup, Qt::LeftButton);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(c.selectFrame->title(), QStringLiteral("Select (7 Selected)"));
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("7"));
        QCOMPARE(c.amountBox->text(), QString());  // the other option's box is left alone
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("Group 1\n\nAmes\nBell\nCole\nDunn\nEden\nFox\nGray"));

        // Amount chosen with 0: it becomes 1, and the per-group box keeps its 7.
        QTest::mouseClick(c.amount, Qt::LeftButton);
        c.typeInto(c.amountBox, QStringLiteral("000"));
        c.tick(0);  // untick Ames
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(c.amountBox->text(), QStringLiteral("1"));
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("7"));
        QCOMPARE(lastNames(window.Groups), QStringList({"Bell", "Cole", "Dunn", "Eden", "Fox", "Gray"}));

        // Three groups asked for: three of three slots, the last one short.
        c.typeInto(c.amountBox, QStringLiteral("3"));
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(window.Groups.NumGroups, 3);
        QCOMPARE(window.Groups.GroupSize, 2);
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("Group 1\n\nBell\nCole\n\n\nGroup 2\n\nDunn\nEden\n\n\n"
                                                         "Group 3\n\nFox\nGray"));
        window.close();
    }

    void tickedPeopleComeByRecordNumberInListOrder()
    {
        // Twelve people; the file order is the reverse of the list order.
        std::vector<ProfileRecord> records;
        for (char letter = 'L'; letter >= 'A'; --letter)
            records.push_back(person(QStringLiteral("First"), QStringLiteral("Name") + QLatin1Char(letter)));
        MainWindow window(poolOf(QStringLiteral("twelve.Qvr"), records));
        QVERIFY(window.startUp());
        Controls c(window);
        for (int row : {9, 2, 5})
            c.tick(row);
        QCOMPARE(c.selectFrame->title(), QStringLiteral("Select (3 Selected)"));
        c.typeInto(c.amountBox, QStringLiteral("1"));

        QSignalSpy changes(c.groups, &QPlainTextEdit::textChanged);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(changes.count(), 1);  // the listing is set once, not grown line by line
        QCOMPARE(window.Groups.slotRecords, std::vector<ProfileRecord>({records[9], records[6], records[2]}));
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("Group 1\n\nNameC, First\nNameF, First\nNameJ, First"));
    }

    void perGroupDefaultAboveThreeDigits()
    {
        std::vector<ProfileRecord> records;
        for (int i = 0; i < 1200; ++i)
            records.push_back(person(QString(), QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0'))));
        MainWindow window(poolOf(QStringLiteral("large.Qvr"), records));
        QVERIFY(window.startUp());
        Controls c(window);
        QTest::mouseClick(c.perGroup, Qt::LeftButton);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("1200"));
        QCOMPARE(window.Groups.NumGroups, 1);
        QCOMPARE(window.Groups.GroupSize, 1200);

        // The user cannot add to it, and once it fits, three characters is the limit again.
        c.perGroupBox->setFocus();
        c.perGroupBox->end(false);
        QTest::keyClicks(c.perGroupBox, QStringLiteral("5"));
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("1200"));
        QTest::keyClick(c.perGroupBox, Qt::Key_Backspace);
        QCOMPARE(c.perGroupBox->text(), QStringLiteral("120"));
        QCOMPARE(c.perGroupBox->maxLength(), 3);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(window.Groups.NumGroups, 10);
        QCOMPARE(window.Groups.GroupSize, 120);
    }

    void poolThatCannotBeReadChangesNothing()
    {
        const QString pool = sevenPeople();
        MainWindow window(pool);
        QVERIFY(window.startUp());
        Controls c(window);
        c.typeInto(c.amountBox, QStringLiteral("0"));
        c.groups->setPlainText(QStringLiteral("earlier groups"));

        // The pool file is replaced by a folder behind the program's back.
        QVERIFY(QFile::remove(pool));
        QVERIFY(QDir().mkdir(pool));
        MessageBox::queueAnswer(MessageBox::Ok);
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(1));
        const QString message = MessageBox::shownBoxes().front().text;
        QVERIFY2(message.contains(QDir::toNativeSeparators(pool)), qPrintable(message));
        QCOMPARE(c.amountBox->text(), QStringLiteral("0"));
        QCOMPARE(window.poolList()->tickCount(), 0);
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("earlier groups"));
        QCOMPARE(window.Groups.NumGroups, 0);
        QVERIFY(QDir().rmdir(pool));
        window.close();
    }

    void emptyListOverAFilledPoolIsReadAgain()
    {
        const QString pool = poolOf(QStringLiteral("grown.Qvr"), {});
        MainWindow window(pool);
        QVERIFY(window.LoadPoolList());
        Controls c(window);
        QCOMPARE(window.poolList()->itemCount(), 0);

        // Another program fills the pool while the list is empty.
        QVERIFY(writePool(pool, {person("", "Zed"), person("", "Adams")}));
        QTest::mouseClick(c.calculate, Qt::LeftButton);
        QCOMPARE(window.poolList()->itemCount(), 2);
        QCOMPARE(c.selectFrame->title(), QStringLiteral("Select (2 Selected)"));
        QCOMPARE(c.groups->toPlainText(), QStringLiteral("Group 1\n\nAdams\nZed"));
    }
};

QTEST_MAIN(TestCalculate)
#include "tst_calculate.moc"
