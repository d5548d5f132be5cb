// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace quorvia {

// `text` with every character that a pool file cannot store (it holds
// Windows-1252) replaced by its closest plain letters: a letter with an
// accent by the letter ("ś" -> "s"), one of a few Latin letters of their own
// by the letter they are written like ("Ł" -> "L", "ı" -> "i"), Cyrillic and
// Greek letters by their usual Latin spelling ("Ж" -> "Zh"), anything else by
// '?'. Each replacement made is added once to `replacements`, as "Ł→L".
// Control characters are left as they are: they are not letters.
QString plainLetters(const QString &text, QStringList *replacements);

} // namespace quorvia
