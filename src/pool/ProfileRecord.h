// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace quorvia {

constexpr int kRecordSize = 174;
constexpr int kTextSize = 12;
constexpr int kTraitCount = 22;
constexpr int kFlagCount = 69;

// Flags are 16-bit words on disk: -1 is True, 0 is False. Readers must treat
// any other value as "not set", so the raw word is kept as read.
constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;
inline bool isSet(std::int16_t flag) { return flag == kTrue; }

using TextField = std::array<char, kTextSize>;
using TraitFlags = std::array<std::int16_t, kTraitCount>;

// One person as stored in a pool file. The fields hold the stored bytes and
// words untouched, so that reading and writing a record is byte-exact even for
// records this program would never write itself.
struct ProfileRecord {
    TextField FirstName{};
    TextField LastName{};
    TextField Position{};
    TraitFlags OwnAttributes{};
    TraitFlags CompatibleWith{};
    TraitFlags IncompatibleWith{};
    std::int16_t HasData = 0;
    std::int16_t HasPosition = 0;
    std::int16_t HasBothNames = 0;

    static ProfileRecord fromBytes(const char *bytes);  // reads kRecordSize bytes
    void toBytes(char *bytes) const;                     // writes kRecordSize bytes

    bool operator==(const ProfileRecord &other) const;
    bool operator!=(const ProfileRecord &other) const { return !(*this == other); }
};

// A stored text as characters: the bytes up to the first NUL, decoded from
// Windows-1252, blanks kept.
QString fieldText(const TextField &field);
// Stores text left-aligned, cut after 12 characters and padded with blanks;
// characters Windows-1252 lacks become '?'.
void setFieldText(TextField &field, const QString &text);

// Removes leading and trailing blanks (spaces only, as the pool files expect).
QString trimBlanks(const QString &text);

// The trimmed value of a stored text.
inline QString trimmedField(const TextField &field) { return trimBlanks(fieldText(field)); }

} // namespace quorvia
