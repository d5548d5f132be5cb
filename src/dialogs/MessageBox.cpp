#include "dialogs/MessageBox.h"

#include <QMessageBox>
#include <QtGlobal>

namespace quorvia {
namespace {

struct Seam {
    bool testMode = false;
    std::deque<MessageBox::Answer> answers;
    std::vector<MessageBox::Shown> shown;
};

Seam &seam()
{
    static Seam instance;
    return instance;
}

} // namespace

MessageBox::Answer MessageBox::show(QWidget *parent, const QString &text, Style style)
{
    Seam &s = seam();
    if (s.testMode) {
        s.shown.push_back({text, style});
        if (s.answers.empty())
            qFatal("Unexpected message box (style %d): %s", int(style), qPrintable(text));
        const Answer answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorvia"), text, QMessageBox::NoButton, parent);
    if (style == Style::Warning) {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    } else {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(style == Style::Question ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return style == Style::Warning ? Ok : No;
    }
}

void MessageBox::setTestMode(bool on) { seam().testMode = on; }

void MessageBox::queueAnswer(Answer answer)
{
    seam().testMode = true;
    seam().answers.push_back(answer);
}

int MessageBox::pendingAnswers() { return int(seam().answers.size()); }

const std::vector<MessageBox::Shown> &MessageBox::shownBoxes() { return seam().shown; }

void MessageBox::clearShownBoxes() { seam().shown.clear(); }

} // namespace quorvia
