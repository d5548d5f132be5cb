// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace quorvia {

// Groups read back from a file, with each person found in the pool.
struct GroupsFile {
    GroupTable groups;
    std::vector<int> recordNumbers;  // per slot; 0 for a free slot
    std::vector<char> personPins;    // per slot
    std::vector<char> groupPins;     // per group
    QString poolName;                // the pool the file was saved from, when it says
    bool fromDocument = false;       // the plain groups document, which names people only
};

// Reads a groups file: the CSV that Save Groups and the CSV export write
// (rows in any order, CR LF or LF, with or without a byte-order mark, as a
// spreadsheet saves it again), or the groups document of Export and the
// command line. People are found in `pool` (the records of the pool called
// `poolName`) by their record number and checked against their names; without
// a usable number (another pool, a renumbered one, the document) by their
// names alone. Someone found in no record, or in several different ones, is
// an error that names the line; nothing is returned then.
bool readGroupsFile(const QByteArray &bytes, const std::vector<ProfileRecord> &pool, const QString &poolName,
                    GroupsFile *out, QString *error);

} // namespace quorvia
