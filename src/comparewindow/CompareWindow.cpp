// SPDX-License-Identifier: GPL-3.0-or-later
#include "comparewindow/CompareWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quorvia {

CompareWindow::CompareWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(tr("Compare Groups"));
    lblCompareSummary = new QLabel(this);
    lblCompareSummary->setObjectName(QStringLiteral("lblCompareSummary"));
    lblCompareSummary->setWordWrap(true);
    lblCompareSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto *movesLabel = new QLabel(tr("Who moved:"), this);
    txtMoves = new QPlainTextEdit(this);
    txtMoves->setObjectName(QStringLiteral("txtMoves"));
    txtMoves->setReadOnly(true);
    txtMoves->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtMoves->setAccessibleName(tr("Who moved"));
    movesLabel->setBuddy(txtMoves);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblCompareSummary);
    layout->addWidget(movesLabel);
    layout->addWidget(txtMoves, 1);
    layout->addWidget(close);
    resize(480, 420);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::close);
}

void CompareWindow::showComparison(const QString &summary, const QStringList &moves)
{
    lblCompareSummary->setText(summary);
    txtMoves->setPlainText(moves.isEmpty() ? tr("Nobody moved.") : moves.join(QLatin1Char('\n')));
}

QString CompareWindow::summaryText() const { return lblCompareSummary->text(); }
QString CompareWindow::movesText() const { return txtMoves->toPlainText(); }

} // namespace quorvia
