// SPDX-License-Identifier: GPL-3.0-or-later
// Times a click on Calculate in the real window for the largest pool: reading
// the ticked records from the pool file, building the groups, and showing the
// listing in the results box. Run headless (QT_QPA_PLATFORM=offscreen).

#include "grouping/PoolGenerator.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/MessageBox.h"
#include "support/PoolFixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace quorvia;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    const int count = 32767;
    QTemporaryDir dir;
    const QString pool = dir.filePath(QStringLiteral("large.Qvr"));
    testing::PoolGenerator gen(11u);
    testing::writePool(pool, gen.pool(count, testing::PoolShape{}));

    MainWindow window(pool);
    if (!window.startUp())
        return 1;
    auto *calculate = window.findChild<QPushButton *>(QStringLiteral("cmdCalculate"));
    auto *amount = window.findChild<QRadioButton *>(QStringLiteral("optAmountGroupsDesired"));
    auto *perGroup = window.findChild<QRadioButton *>(QStringLiteral("optPeoplePerGroup"));
    auto *amountBox = window.findChild<QLineEdit *>(QStringLiteral("txtAmountGroupsDesired"));
    auto *perGroupBox = window.findChild<QLineEdit *>(QStringLiteral("txtPeoplePerGroup"));
    auto *results = window.findChild<QPlainTextEdit *>(QStringLiteral("txtGroups"));

    struct Request {
        const char *name;
        QRadioButton *option;
        QLineEdit *box;
        const char *value;
    };
    const Request requests[] = {
        {"groups of 4", perGroup, perGroupBox, "4"},
        {"10 groups", amount, amountBox, "10"},
        {"999 groups", amount, amountBox, "999"},
    };
    std::printf("Calculate in the window, %d people ticked (nothing ticked: Select All), seconds:\n", count);
    for (const Request &r : requests) {
        r.option->click();
        r.box->setText(QString::fromLatin1(r.value));
        QElapsedTimer timer;
        timer.start();
        calculate->click();
        app.processEvents();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        std::printf("  %-12s %7.3f  (%d groups of %d, %lld lines shown)\n", r.name, seconds, window.Groups.NumGroups,
                    window.Groups.GroupSize, static_cast<long long>(results->document()->blockCount()));
    }
    window.close();
    return 0;
}
