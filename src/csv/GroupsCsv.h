// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace quorvia {

// What a groups table alone does not say, for reading the groups back
// exactly: per slot the pool record number (0: not known) and the person's
// pin, per group its pin, and the pool's file name. Empty vectors: none.
struct GroupsCsvExtras {
    std::vector<int> recordNumbers;
    std::vector<char> personPins;
    std::vector<char> groupPins;
    QString poolName;
};

// The groups as a table: a header row, then one row per slot that the groups
// document lists: group number, slot number, first name, last name, position
// and the person's score within the group (memberScore), then the record
// number, "yes" for a pinned person, "yes" for a pinned group and the pool's
// file name; a free slot is a row with "NONE" and no score. UTF-8 with a
// byte-order mark, CR LF.
const QStringList &groupsCsvColumns();
QByteArray groupsCsvBytes(const GroupTable &groups, const GroupsCsvExtras &extras = {});

} // namespace quorvia
