#pragma once

#include "grouping/GroupTable.h"

#include <QByteArray>
#include <QStringList>

namespace quorvia {

// The groups as a table: a header row, then one row per slot that the groups
// document lists: group number, slot number, first name, last name, position
// and the person's score within the group (memberScore); a free slot is a row
// with "NONE" and no score. UTF-8 with a byte-order mark, CR LF.
const QStringList &groupsCsvColumns();
QByteArray groupsCsvBytes(const GroupTable &groups);

} // namespace quorvia
