// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/Windows1252.h"

#include <array>

namespace quorvia {
namespace {

// Code points of bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        if (kHighControls[std::size_t(i)] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QString decodeWindows1252(const char *bytes, int length)
{
    QString text(length, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?');  // one character, two UTF-16 units
            ++i;
            continue;
        }
        bytes.append(encodeChar(c.unicode()));
    }
    return bytes;
}

} // namespace quorvia
