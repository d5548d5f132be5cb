// SPDX-License-Identifier: GPL-3.0-or-later
#include "arrangement/GroupArrangement.h"
#include "grouping/GroupBuilder.h"
#include "grouping/GroupListing.h"
#include "grouping/PoolGenerator.h"
#include "mainwindow/MainWindow.h"
#include "pool/PoolListing.h"
#include "support/WindowSeams.h"

#include <QStatusBar>
#include <QtTest>
#include <QtWidgets>

#include <set>

using namespace quorvia;
using namespace quorvia::testing;

namespace {

// The read-out as the user sees it, row by row, and the total line.
QStringList readout(MainWindow &window)
{
    const QAbstractItemModel *rows = window.findChild<QTableView *>("tblQuality")->model();
    QStringList lines;
    for (int r = 0; r < rows->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < rows->columnCount(); ++c)
            cells << rows->index(r, c).data().toString();
        lines << cells.join(' ');
    }
    return lines << window.findChild<QLabel *>("lblQualityTotal")->text();
}

// The same figures from a plain pairwise sum over the groups in memory.
QStringList expectedReadout(const GroupTable &groups, int *total)
{
    QStringList lines;
    int people = 0, conflicts = 0;
    *total = 0;
    for (int g = 0; g < groups.NumGroups; ++g) {
        int n = 0, score = 0, clashes = 0;
        for (int a = 0; a < groups.GroupSize; ++a) {
            n += groups.at(g, a).HasData != 0;
            for (int b = a + 1; b < groups.GroupSize; ++b) {
                if (groups.at(g, a).HasData == 0 || groups.at(g, b).HasData == 0)
                    continue;
                const int pair = CompatibilityScore(groups.at(g, a), groups.at(g, b));
                score += pair;
                clashes += pair < 0;
            }
        }
        lines << QStringLiteral("%1 %2 %3 %4").arg(g + 1).arg(n)
                     .arg(score > 0 ? "+" + QString::number(score) : score < 0 ? QChar(0x2212) + QString::number(-score) : "0")
                     .arg(clashes);
        people += n, *total += score, conflicts += clashes;
    }
    return lines << QStringLiteral("Total: %1, score +%2, %3; ")
                        .arg(countText(people, "person", "people"))
                        .arg(*total)
                        .arg(countText(conflicts, "conflict", "conflicts"));
}

} // namespace

class TestQualityWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { useSeams(); }
    void cleanup() { checkSeamsUsedUp(); }

    void calculateImproveUndoRedo()
    {
        const QString pool = dir.filePath("twelve.Qvr");
        QVERIFY(writePool(pool, PoolGenerator(7).pool(14, {})));
        MainWindow window(pool);
        QVERIFY(window.startUp());
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *groupsBox = window.findChild<QPlainTextEdit *>("txtGroups");
        auto *improve = window.findChild<QPushButton *>("cmdImprove");
        auto *undo = window.findChild<QAction *>("mnuUndo");
        QVERIFY(!improve->isEnabled() && !window.findChild<QPushButton *>("cmdArrangeGroups")->isEnabled());

        // Every state: the box shows the groups in memory, the read-out their plain sums.
        std::vector<int> totals;
        long long bound = 0;
        auto check = [&](const QString &undoText) {
            QCOMPARE(groupsBox->toPlainText(), groupListing(window.Groups).replace("\r\n", "\n"));
            int total = 0;
            const QStringList expected = expectedReadout(window.Groups, &total);
            const QStringList shown = readout(window);
            QCOMPARE(shown.mid(0, expected.size() - 1), expected.mid(0, expected.size() - 1));
            QVERIFY2(shown.last().startsWith(expected.last()), qPrintable(shown.last()));
            // The total against the best possible of the Calculate, once it is known.
            const BestPossible *best = window.arrangement()->bestPossible();
            const QString words = !best ? QString("best possible: computing...")
                : total >= best->bound  ? QString("best possible")
                                        : QString("at least %1% of the best possible").arg(100 * total / best->bound);
            QVERIFY2(shown.last().endsWith("; " + words), qPrintable(shown.last()));
            QVERIFY(!best || best->bound == bound);
            QCOMPARE(undo->text(), undoText);
            totals.push_back(total);
        };

        calculateGroups(window, "4");
        const GroupTable calculated = window.Groups;
        QTRY_VERIFY(window.arrangement()->bestPossible());
        bound = window.arrangement()->bestPossible()->bound;
        check("&Undo");
        if (QTest::currentTestFailed())
            return;
        QVERIFY(improve->isEnabled());
        // Up to 16 people the best possible is found by trying every grouping: Improve reaches it.
        QVERIFY(window.arrangement()->bestPossible()->exact);
        QVERIFY(window.findChild<QLabel *>("lblQualityTotal")->toolTip().contains("trying every grouping"));

        // A change made while Improve runs stands: Improve's result, worked out
        // from the groups as they were, is set aside.
        bool whileImproving = false;
        QTimer::singleShot(0, &window, [&] {
            whileImproving = window.findChild<QProgressDialog *>("dlgImproveProgress") != nullptr;
            QCOMPARE(window.arrangement()->swap({0, 0}, {1, 0}), QString());
        });
        improve->click();
        QVERIFY(QTest::qWaitForWindowActive(&window));  // back from the progress, if it showed
        QVERIFY(whileImproving);
        QCOMPARE(window.statusBar()->currentMessage(), "The groups changed while Improve ran; its result was set aside.");
        QVERIFY(window.Groups.at(0, 0) == calculated.at(1, 0) && window.Groups.at(1, 0) == calculated.at(0, 0));
        QVERIFY(undo->text().startsWith("&Undo Swap "));
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.Groups.slotRecords, calculated.slotRecords);

        QTest::mouseClick(improve, Qt::LeftButton);
        const GroupTable improved = window.Groups;
        check("&Undo Improve");
        if (QTest::currentTestFailed())
            return;
        QVERIFY(totals[1] > totals[0]);
        QCOMPARE(totals[1], bound);
        QVERIFY(window.statusBar()->currentMessage().startsWith("Improved the groups"));

        QVERIFY(QTest::qWaitForWindowActive(&window));  // back from the progress, if it showed
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.Groups.slotRecords, calculated.slotRecords);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Undone: Improve"));
        check("&Undo");
        if (QTest::currentTestFailed())
            return;
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window.Groups.slotRecords, improved.slotRecords);
        check("&Undo Improve");
        if (QTest::currentTestFailed())
            return;
        // From the best possible Improve finds nothing better, says so, and adds no step.
        const int steps = window.arrangement()->undoStack()->count();
        QTest::mouseClick(improve, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(&window));  // back from the progress, if it showed
        QCOMPARE(window.statusBar()->currentMessage(),
                 QString("Improve found no better groups: total score %1; best possible.").arg(bound));
        QCOMPARE(window.arrangement()->undoStack()->count(), steps);
        QCOMPARE(window.Groups.slotRecords, improved.slotRecords);

        // Even sizes: 14 people in groups of 4 become 4, 4, 3 and 3.
        window.findChild<QCheckBox *>("chkEvenSizes")->setChecked(true);
        QTest::mouseClick(improve, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(&window));  // back from the progress, if it showed
        const GroupTable evened = window.Groups;
        check("&Undo Improve (Even Sizes)");
        if (QTest::currentTestFailed())
            return;
        std::multiset<int> sizes;
        for (const GroupFit &fit : window.arrangement()->report().groups)
            sizes.insert(fit.people);
        QCOMPARE(sizes, std::multiset<int>({3, 3, 4, 4}));
        // A hand move into a free place changes the sizes, not the best possible.
        int small = 0;
        while (window.arrangement()->peopleIn(small) == 4)
            ++small;
        QCOMPARE(window.arrangement()->moveToGroup({small == 0 ? 1 : 0, 0}, small), QString());
        check("&Undo Move " + personName(window.Groups.at(small, 3)) + " to Group " + QString::number(small + 1));
        if (QTest::currentTestFailed())
            return;
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);

        // A conflict is explained when its group is selected.
        auto *table = window.findChild<QTableView *>("tblQuality");
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            if (table->model()->index(row, 3).data().toInt() > 0) {
                table->setCurrentIndex(table->model()->index(row, 0));
                QVERIFY(window.findChild<QPlainTextEdit *>("txtConflicts")->toPlainText().contains("work well with"));
            }
        }
        // After undo and redo it explains the groups as they are now, as if chosen afresh.
        const int row = table->currentIndex().row();
        auto *conflicts = window.findChild<QPlainTextEdit *>("txtConflicts");
        for (Qt::KeyboardModifiers keys : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
            QTest::keyClick(&window, Qt::Key_Z, keys);
            const QString shown = conflicts->toPlainText();
            table->setCurrentIndex(table->model()->index((row + 1) % table->model()->rowCount(), 0));
            table->setCurrentIndex(table->model()->index(row, 0));
            QCOMPARE(shown, conflicts->toPlainText());
        }

        // Once exported, a new Calculate replaces them and clears the history.
        FileDialog::queueChoice(dir.filePath("groups.txt"));
        QTest::mouseClick(window.findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
        QCOMPARE(readFile(dir.filePath("groups.txt")), groupsDocumentBytes(evened));
        QTest::mouseClick(window.findChild<QPushButton *>("cmdCalculate"), Qt::LeftButton);
        QCOMPARE(window.Groups.slotRecords, calculated.slotRecords);
        QVERIFY(!undo->isEnabled());
    }
};

QTEST_MAIN(TestQualityWindow)
#include "tst_quality_window.moc"
