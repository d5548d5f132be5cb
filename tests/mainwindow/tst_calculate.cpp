// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"
#include "mainwindow/PoolListModel.h"
#include "support/PoolFixtures.h"
#include "support/WindowSeams.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The window's controls, found by their names, and what a user does with them.
struct Controls {
    MainWindow &window;
    template <typename T = QAbstractButton>
    T *find(const char *name) const { return window.findChild<T *>(QLatin1String(name)); }
    QAbstractButton *amount = find("optAmountGroupsDesired"), *perGroup = find("optPeoplePerGroup");
    QLineEdit *amountBox = find<QLineEdit>("txtAmountGroupsDesired");
    QLineEdit *perGroupBox = find<QLineEdit>("txtPeoplePerGroup");
    QPlainTextEdit *groups = find<QPlainTextEdit>("txtGroups");

    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    void calculate() { click(find("cmdCalculate")); }
    void type(QLineEdit *box, const QString &text)
    {
        box->clear();
        QTest::keyClicks(box, text);
    }
    // The selection caption; per option "*" if chosen, its box on or off, " tab" if a tab stop, [its text];
    // the size of the groups in memory.
    QString state() const
    {
        const auto show = [](QAbstractButton *option, QLineEdit *box) {
            return QStringLiteral(" %1%2%3[%4]").arg(option->isChecked() ? "*" : "", box->isEnabled() ? "on" : "off",
                                                     box->focusPolicy() == Qt::NoFocus ? "" : " tab", box->text());
        };
        return find<QGroupBox>("fraSelect")->title() + show(amount, amountBox) + show(perGroup, perGroupBox)
            + QStringLiteral(" %1x%2").arg(window.Groups.NumGroups).arg(window.Groups.GroupSize);
    }
};

} // namespace

class TestCalculate : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }

    void sizeInputsAndCalculate()
    {
        // The file order is the reverse of the list order, and the count past three digits.
        std::vector<ProfileRecord> records;
        for (int i = 1199; i >= 0; --i)
            records.push_back(person({}, QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0'))));
        QVERIFY(writePool(dir.filePath("large.Qvr"), records));
        MainWindow window(dir.filePath("large.Qvr"));
        QVERIFY(window.startUp());
        Controls c{window};

        c.type(c.amountBox, "5");
        c.click(c.perGroup);
        QCOMPARE(c.state(), "Select (0 Selected) off[5] *on tab[] 0x0");
        c.click(c.perGroup);  // chosen again: nothing changes
        QCOMPARE(c.state(), "Select (0 Selected) off[5] *on tab[] 0x0");
        c.click(c.amount);
        // Three digits at most, typed or pasted; Backspace works.
        c.type(c.amountBox, "12a");
        QTest::keyClicks(c.amountBox, "34- .+e\r\b");
        QCOMPARE(c.state(), "Select (0 Selected) *on tab[12] off[] 0x0");
        for (const char *pasted : {"1e5", "-4", "2.5", " 7", "x", "007"}) {
            c.amountBox->clear();
            QApplication::clipboard()->setText(pasted);
            c.amountBox->paste();
            QCOMPARE(c.amountBox->text(), pasted == QLatin1String("007") ? "007" : "");
        }

        // Nothing ticked, per group chosen with an empty box: everybody in one group, in list order.
        c.click(c.perGroup);
        c.calculate();
        QCOMPARE(c.state(), "Select (1200 Selected) off[007] *on tab[1200] 1x1200");
        QVERIFY(c.groups->toPlainText().startsWith("Group 1\n\nP0000\nP0001\nP0002\n"));
        c.calculate();  // the box's number is taken as it stands
        QCOMPARE(c.state(), "Select (1200 Selected) off[007] *on tab[1200] 1x1200");
        // The user cannot add to that default, and once it fits, three characters is the limit again.
        c.perGroupBox->end(false);
        QTest::keyClicks(c.perGroupBox, "5\b5");
        c.calculate();
        QCOMPARE(c.state(), "Select (1200 Selected) off[007] *on tab[120] 10x120");

        // Three ticked, amount chosen with 000: it becomes 1; the people come by record number in list order.
        c.click(c.find("cmdClearAll"));
        auto *list = c.find<QListView>("lstSelect");
        for (int row : {9, 2, 5}) {
            list->setCurrentIndex(list->model()->index(row, 0));
            QTest::keyClick(list, Qt::Key_Space);  // toggles the tick
        }
        c.click(c.amount);
        c.type(c.amountBox, "000");
        QSignalSpy changes(c.groups, &QPlainTextEdit::textChanged);
        c.calculate();
        QCOMPARE(changes.count(), 1);  // the listing is set once, not grown line by line
        QCOMPARE(c.state(), "Select (3 Selected) *on tab[1] off[120] 1x3");
        QCOMPARE(window.Groups.slotRecords, std::vector<ProfileRecord>({records[1197], records[1194], records[1190]}));
        c.type(c.amountBox, "2");
        c.calculate();
        QCOMPARE(c.groups->toPlainText(), "Group 1\n\nP0002\nP0005\n\n\nGroup 2\n\nP0009\nNONE");
    }

    void poolChangedBehindTheProgram_data()
    {
        QTest::addColumn<int>("change");  // 0: the pool stays empty, 1: it is replaced by a folder, 2: it is filled,
                                          // 3: it is deleted
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("groups");
        QTest::newRow("empty") << 0 << "No profile data has been entered."
                               << "Select (0 Selected) *on tab[0] off[] 0x0" << "earlier";
        QTest::newRow("folder") << 1 << "pool1.Qvr" << "Select (0 Selected) *on tab[0] off[] 0x0" << "earlier";
        QTest::newRow("deleted") << 3 << "pool3.Qvr\" is missing" << "Select (0 Selected) *on tab[0] off[] 0x0"
                                 << "earlier";
        QTest::newRow("filled") << 2 << "" << "Select (2 Selected) *on tab[1] off[] 1x2" << "Group 1\n\nAdams\nZed";
    }
    void poolChangedBehindTheProgram()
    {
        QFETCH(int, change);
        QFETCH(QString, message);
        const QString pool = dir.filePath(QStringLiteral("pool%1.Qvr").arg(change));
        QVERIFY(writePool(pool, std::vector<ProfileRecord>(change % 2, person({}, "Lee"))));
        MainWindow window(pool);
        QVERIFY(window.LoadPoolList());
        Controls c{window};
        c.type(c.amountBox, "0");
        c.groups->setPlainText("earlier");
        QVERIFY(change != 1 || (QFile::remove(pool) && QDir().mkdir(pool)));
        QVERIFY(change != 2 || writePool(pool, {person("", "Zed"), person("", "Adams")}));
        QVERIFY(change != 3 || QFile::remove(pool));
        MessageBox::clearShownBoxes();
        if (!message.isEmpty())
            MessageBox::queueAnswer(MessageBox::Ok);
        c.calculate();
        QCOMPARE(MessageBox::shownBoxes().size(), std::size_t(message.isEmpty() ? 0 : 1));
        for (const MessageBox::Shown &box : MessageBox::shownBoxes())
            QVERIFY2(box.style == MessageBox::Style::Warning && box.text.contains(message), qPrintable(box.text));
        QTEST(c.state(), "state");
        QTEST(c.groups->toPlainText(), "groups");
        QVERIFY(change != 0 || QFileInfo(pool).size() == 0);
    }
};

QTEST_MAIN(TestCalculate)
#include "tst_calculate.moc"
