// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;

namespace quorvia {

// "Compare With": the current groups beside a saved grouping or a round,
// as the main window worked it out: a summary and one line per person who
// moved.
class CompareWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget *parent = nullptr);

    void showComparison(const QString &summary, const QStringList &moves);
    QString summaryText() const;
    QString movesText() const;

private:
    QLabel *lblCompareSummary;
    QPlainTextEdit *txtMoves;
};

} // namespace quorvia
