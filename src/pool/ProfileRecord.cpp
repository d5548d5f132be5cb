// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/ProfileRecord.h"

#include "pool/Windows1252.h"

#include <algorithm>
#include <cstring>

namespace quorvia {
namespace {

std::int16_t readWord(const char *p)
{
    const auto lo = static_cast<unsigned char>(p[0]);
    const auto hi = static_cast<unsigned char>(p[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

void writeWord(char *p, std::int16_t value)
{
    const auto u = static_cast<std::uint16_t>(value);
    p[0] = static_cast<char>(u & 0xFF);
    p[1] = static_cast<char>(u >> 8);
}

// The 69 flag words in their stored order.
template <typename Record, typename Visit>
void forEachFlag(Record &record, Visit visit)
{
    for (auto &flag : record.OwnAttributes) visit(flag);
    for (auto &flag : record.CompatibleWith) visit(flag);
    for (auto &flag : record.IncompatibleWith) visit(flag);
    visit(record.HasData);
    visit(record.HasPosition);
    visit(record.HasBothNames);
}

} // namespace

ProfileRecord ProfileRecord::fromBytes(const char *bytes)
{
    ProfileRecord record;
    std::memcpy(record.FirstName.data(), bytes, kTextSize);
    std::memcpy(record.LastName.data(), bytes + kTextSize, kTextSize);
    std::memcpy(record.Position.data(), bytes + 2 * kTextSize, kTextSize);
    const char *p = bytes + 3 * kTextSize;
    forEachFlag(record, [&p](std::int16_t &flag) { flag = readWord(p); p += 2; });
    return record;
}

void ProfileRecord::toBytes(char *bytes) const
{
    std::memcpy(bytes, FirstName.data(), kTextSize);
    std::memcpy(bytes + kTextSize, LastName.data(), kTextSize);
    std::memcpy(bytes + 2 * kTextSize, Position.data(), kTextSize);
    char *p = bytes + 3 * kTextSize;
    forEachFlag(*this, [&p](const std::int16_t &flag) { writeWord(p, flag); p += 2; });
}

bool ProfileRecord::operator==(const ProfileRecord &other) const
{
    return FirstName == other.FirstName && LastName == other.LastName && Position == other.Position
        && OwnAttributes == other.OwnAttributes && CompatibleWith == other.CompatibleWith
        && IncompatibleWith == other.IncompatibleWith && HasData == other.HasData
        && HasPosition == other.HasPosition && HasBothNames == other.HasBothNames;
}

QString fieldText(const TextField &field)
{
    const auto end = std::find(field.begin(), field.end(), '\0');
    return decodeWindows1252(field.data(), int(end - field.begin()));
}

void setFieldText(TextField &field, const QString &text)
{
    const QByteArray bytes = encodeWindows1252(text);
    field.fill(' ');
    std::memcpy(field.data(), bytes.constData(), std::min<std::size_t>(std::size_t(bytes.size()), kTextSize));
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace quorvia
