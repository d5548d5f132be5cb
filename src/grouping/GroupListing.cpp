// SPDX-License-Identifier: GPL-3.0-or-later
#include "grouping/GroupListing.h"

#include "pool/Windows1252.h"

namespace quorvia {

std::optional<QString> SlotText(const ProfileRecord &r)
{
    if (r.HasData == kFalse)
        return QStringLiteral("NONE");
    if (!isSet(r.HasData))
        return std::nullopt;
    QString text = trimmedField(r.LastName);
    if (isSet(r.HasBothNames))
        text += QStringLiteral(", ");
    text += trimmedField(r.FirstName);
    if (isSet(r.HasPosition))
        text += QStringLiteral(" (") + trimmedField(r.Position) + QLatin1Char(')');
    return text;
}

QString groupListing(const GroupTable &groups)
{
    static const QString lineBreak = QStringLiteral("\r\n");
    QString text;
    // Built once and set into the box once: a big pool's listing would take
    // ages if the box were rewritten slot by slot.
    text.reserve(qsizetype(groups.slotRecords.size()) * 28 + qsizetype(groups.NumGroups) * 16);
    for (int g = 0; g < groups.NumGroups; ++g) {
        if (g > 0)
            text += lineBreak + lineBreak + lineBreak;
        text += QStringLiteral("Group ") + QString::number(g + 1) + lineBreak;
        for (int s = 0; s < groups.GroupSize; ++s) {
            if (const std::optional<QString> slot = SlotText(groups.at(g, s)))
                text += lineBreak + *slot;
        }
    }
    return text;
}

QStringList groupsDocument(const GroupTable &groups)
{
    QStringList lines{QStringLiteral("Quorvia"), QString(), QString(), QStringLiteral("Groups")};
    lines.reserve(4 + qsizetype(groups.slotRecords.size()) + 4 * qsizetype(groups.NumGroups));
    for (int g = 0; g < groups.NumGroups; ++g) {
        lines << QString() << QString() << QStringLiteral("Group ") + QString::number(g + 1) << QString();
        for (int s = 0; s < groups.GroupSize; ++s) {
            if (const std::optional<QString> slot = SlotText(groups.at(g, s)))
                lines << *slot;
        }
    }
    return lines;
}

QByteArray groupsDocumentBytes(const GroupTable &groups)
{
    QByteArray bytes;
    for (const QString &line : groupsDocument(groups)) {
        bytes += encodeWindows1252(line);
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace quorvia
