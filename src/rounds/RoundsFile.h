// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace quorvia {

// One recorded round: when, what it is called, and its groups as pool record
// numbers.
struct Round {
    QString date;  // yyyy-MM-dd
    QString name;
    std::vector<std::vector<int>> groups;
};

// The rounds of a pool live beside it in "<pool path>.rounds", a text file:
//   # comment lines
//   round <date> <name>
//   group <record> <record> ...   (names after a '#', for the reader only)
QString roundsPathFor(const QString &poolPath);

// A missing file is no rounds yet. A damaged one is an error that names its
// line; the caller must then leave the file alone.
bool readRounds(const QString &poolPath, std::vector<Round> *rounds, QString *error);

// Replaces the file whole (never half-written). `nameOf` gives the text shown
// beside a record number, or none.
bool writeRounds(const QString &poolPath, const std::vector<Round> &rounds, QString *error,
                 const std::function<QString(int record)> &nameOf = {});

// Record `number` was deleted from the pool: it leaves every group of every
// round, and later records move down by one, as the pool's did. Returns how
// many rounds named it.
int removeRecordFromRounds(std::vector<Round> &rounds, int number);

} // namespace quorvia
