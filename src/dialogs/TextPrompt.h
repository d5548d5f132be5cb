// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quorvia {

// A one-line text asked for in a small modal dialog (a name for a round).
// Tests queue the answers in advance; in test mode no dialog is shown and a
// question that no test expected stops the test run.
class TextPrompt {
public:
    // True with the text typed (trimmed, never empty) when the user confirmed.
    static bool ask(QWidget *parent, const QString &title, const QString &label, const QString &initial,
                    QString *text);

    static void queueText(const QString &text);  // as if typed and confirmed
    static void queueCancel();
    static int pendingAnswers();
};

} // namespace quorvia
