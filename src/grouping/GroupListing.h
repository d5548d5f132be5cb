// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupTable.h"
#include "pool/ProfileRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvia {

// The text that stands for one slot of a group: last name, ", " when
// HasBothNames is True, first name, and " (position)" when HasPosition is True,
// all trimmed; "NONE" for a slot whose HasData is 0; and no text (no line at
// all) for any other HasData value. The flags decide, not the texts.
std::optional<QString> SlotText(const ProfileRecord &r);

// The results box text: "Group N", an empty line, a line per slot; three line
// breaks between groups; CR LF line breaks and none after the last line.
QString groupListing(const GroupTable &groups);

// The lines of the printed and exported groups document: "Quorvia", two empty
// lines, "Groups", then per group two empty lines, "Group N", an empty line and
// the slot lines. Before any Calculate (no groups) just the four heading lines.
QStringList groupsDocument(const GroupTable &groups);

// The export file: the groups document in Windows-1252, CR LF after every line.
QByteArray groupsDocumentBytes(const GroupTable &groups);

} // namespace quorvia
