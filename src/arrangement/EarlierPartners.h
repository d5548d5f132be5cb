// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <vector>

namespace quorvia {

// Whether Improve keeps apart people who shared a group in earlier rounds,
// and which of the pool's rounds count. One state for the Rules window (its
// tick), the Rounds window (a tick per round) and the main window (which
// builds the penalty and the count from it). Kept while the pool is open.
class EarlierPartners : public QObject {
    Q_OBJECT
public:
    explicit EarlierPartners(QObject *parent = nullptr) : QObject(parent) {}

    bool avoid() const { return avoid_; }
    void setAvoid(bool avoid);
    // Per round of the pool's file, in its order: whether its pairs count.
    const std::vector<char> &counted() const { return counted_; }
    void setCounted(std::vector<char> counted);
    // The file holds `count` rounds: new ones count, removed ones are forgotten.
    void setRoundCount(std::size_t count);
    // Another pool: nothing avoided, no rounds known.
    void clear();

    // The tick's words: "Avoid partners of rounds 1–3", "... of round 2",
    // "... of rounds 1, 3 and 5", or why there is nothing to avoid.
    QString text() const;

signals:
    void changed();

private:
    bool avoid_ = false;
    std::vector<char> counted_;
};

} // namespace quorvia
