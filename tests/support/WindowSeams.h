// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every window test sets up and checks: no real question, file dialog
// or printer shows, and each answer a test queued was asked for.

#include "dialogs/FileDialog.h"
#include "dialogs/LinePrinter.h"
#include "dialogs/MessageBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace quorvia::testing {

// For initTestCase.
inline void useSeams()
{
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    LinePrinter::setTestMode(true);
}

// For cleanup: an answer left over means a question never came (or came to
// somebody else). Whatever happened, the next test starts with empty queues.
inline void checkSeamsUsedUp()
{
    const int answers = MessageBox::pendingAnswers(), choices = FileDialog::pendingChoices(),
              jobs = LinePrinter::pendingJobs();
    while (MessageBox::pendingAnswers() > 0)
        MessageBox::show(nullptr, QString(), MessageBox::Style::Warning);
    MessageBox::clearShownBoxes();
    FileDialog::clearShownDialogs();
    LinePrinter::clearPrintedDocuments();
    QCOMPARE(answers, 0);
    QCOMPARE(choices, 0);
    QCOMPARE(jobs, 0);
}

// Calculates groups of `perGroup` people in a main window, as a user types it.
inline void calculateGroups(QWidget &window, const QString &perGroup)
{
    window.findChild<QRadioButton *>("optPeoplePerGroup")->click();
    auto *box = window.findChild<QLineEdit *>("txtPeoplePerGroup");
    box->clear();
    QTest::keyClicks(box, perGroup);
    QTest::mouseClick(window.findChild<QPushButton *>("cmdCalculate"), Qt::LeftButton);
}

} // namespace quorvia::testing
