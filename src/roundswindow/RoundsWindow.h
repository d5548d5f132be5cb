// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rounds/RoundsFile.h"

#include <QDialog>

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

namespace quorvia {

// "Rounds": the pool's recorded rounds, each ticked when Improve is to keep
// its pairs apart; a round can be renamed or removed. Every change is written
// to the rounds file at once; a failed write leaves the list as it was.
class RoundsWindow : public QDialog {
    Q_OBJECT
public:
    explicit RoundsWindow(QWidget *parent = nullptr);

    // `nameOf` gives the text written beside a record number in the file.
    void setRounds(const QString &poolPath, const std::vector<Round> &rounds, const std::vector<char> &avoided,
                   std::function<QString(int)> nameOf);
    // Another window holds the pool: renaming and removing are refused.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    const std::vector<Round> &rounds() const { return rounds_; }
    const std::vector<char> &avoided() const { return avoided_; }

public slots:
    void cmdRenameRound_Click();
    void cmdRemoveRound_Click();

signals:
    // After a rename, a removal or a changed tick.
    void roundsChanged();
    // "Compare" with the round in that row.
    void compareRequested(int row);

private:
    void showRounds();
    bool write(const std::vector<Round> &rounds);

    QString poolPath_;
    std::vector<Round> rounds_;
    std::vector<char> avoided_;
    std::function<QString(int)> nameOf_;
    QListWidget *lstRounds;
    QPushButton *cmdRenameRound;
    QPushButton *cmdRemoveRound;
    QPushButton *cmdCompareRound;
    bool showing_ = false;
    bool readOnly_ = false;
};

} // namespace quorvia
