// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvia {

// Pool files and exports use the Windows-1252 code page. Qt has no codec for
// it, so the table lives here. The five bytes the code page leaves undefined
// decode to the C1 control of the same value, so every byte round-trips.
QString decodeWindows1252(const char *bytes, int length);
inline QString decodeWindows1252(const QByteArray &bytes) { return decodeWindows1252(bytes.constData(), int(bytes.size())); }

// One byte per character; a character the code page cannot represent
// (including one outside the Basic Multilingual Plane) becomes '?'.
QByteArray encodeWindows1252(const QString &text);

} // namespace quorvia
