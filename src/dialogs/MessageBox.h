// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <deque>
#include <vector>

class QWidget;

namespace quorvia {

// Every modal question of the program goes through here: a QMessageBox titled
// "Quorvia" in one of the three styles the program uses. Tests queue the
// answers in advance; a box that no test expected stops the test run.
class MessageBox {
public:
    enum class Style {
        Warning = 48,               // OK, exclamation icon
        Question = 52,              // Yes/No, exclamation icon, Yes the default
        QuestionDefaultNo = 308,    // Yes/No, exclamation icon, No the default
        SaveDiscardCancel = 51,     // Save/Discard/Cancel, exclamation icon, Save the default
    };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7, Save = 10, Discard = 11 };

    static Answer show(QWidget *parent, const QString &text, Style style);

    // A failure the user must know about (a file that cannot be written, ...).
    static void error(QWidget *parent, const QString &text) { show(parent, text, Style::Warning); }

    struct Shown {
        QString text;
        Style style;
    };

    // The test seam. Once answers are queued (or test mode is switched on),
    // no box is shown: each call takes the next queued answer and is recorded.
    static void setTestMode(bool on);
    static void queueAnswer(Answer answer);
    static int pendingAnswers();
    static const std::vector<Shown> &shownBoxes();
    static void clearShownBoxes();
};

} // namespace quorvia
