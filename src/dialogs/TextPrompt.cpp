// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/TextPrompt.h"

#include <QInputDialog>
#include <QtGlobal>

#include <deque>
#include <optional>

namespace quorvia {
namespace {

struct Seam {
    bool testMode = false;
    std::deque<std::optional<QString>> answers;
};

Seam &seam()
{
    static Seam instance;
    return instance;
}

} // namespace

bool TextPrompt::ask(QWidget *parent, const QString &title, const QString &label, const QString &initial,
                     QString *text)
{
    Seam &s = seam();
    std::optional<QString> answer;
    if (s.testMode) {
        if (s.answers.empty())
            qFatal("Unexpected text prompt: %s", qPrintable(label));
        answer = s.answers.front();
        s.answers.pop_front();
    } else {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setTextValue(initial);
        if (dialog.exec() == QDialog::Accepted)
            answer = dialog.textValue();
    }
    if (!answer || answer->trimmed().isEmpty())
        return false;
    *text = answer->trimmed();
    return true;
}

void TextPrompt::queueText(const QString &text)
{
    seam().testMode = true;
    seam().answers.push_back(text);
}

void TextPrompt::queueCancel()
{
    seam().testMode = true;
    seam().answers.push_back(std::nullopt);
}

int TextPrompt::pendingAnswers() { return int(seam().answers.size()); }

} // namespace quorvia
