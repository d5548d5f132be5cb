// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/MessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QtGlobal>

#include <memory>

namespace quorvia {
namespace {

// A Yes/No question is answered Yes or No, never by Esc or the window's
// close button: taken as No, they threw away an edit the user meant to keep.
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

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

    std::unique_ptr<QMessageBox> box;
    if (style == Style::Warning) {
        box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Quorvia"), text,
                                            QMessageBox::Ok, parent);
        box->setDefaultButton(QMessageBox::Ok);
    } else if (style == Style::SaveDiscardCancel) {
        // Esc and the close button cancel here: nothing is lost by cancelling.
        box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Quorvia"), text,
                                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
        box->setDefaultButton(QMessageBox::Save);
        box->setEscapeButton(QMessageBox::Cancel);
    } else {
        box = std::make_unique<QuestionBox>(QMessageBox::Warning, QStringLiteral("Quorvia"), text,
                                            QMessageBox::Yes | QMessageBox::No, parent);
        box->setDefaultButton(style == Style::Question ? QMessageBox::Yes : QMessageBox::No);
    }
    switch (box->exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Save:
        return Save;
    case QMessageBox::Discard:
        return Discard;
    case QMessageBox::Cancel:
        return Cancel;
    default:
        return style == Style::Warning ? Ok : style == Style::SaveDiscardCancel ? Cancel : No;
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
