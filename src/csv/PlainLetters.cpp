// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/PlainLetters.h"

#include "pool/Windows1252.h"

#include <QHash>

namespace quorvia {
namespace {

bool storable(const QString &text) { return decodeWindows1252(encodeWindows1252(text)) == text; }

// Letters that no decomposition leads to a plain letter.
const QHash<char32_t, QString> &spelledLetters()
{
    static const QHash<char32_t, QString> table = [] {
        QHash<char32_t, QString> t;
        const auto add = [&t](const char32_t *from, const char *const *to) {
            for (int i = 0; from[i]; ++i)
                t.insert(from[i], QString::fromUtf8(to[i]));
        };
        static const char32_t latin[] = {U'Ł', U'ł', U'ı', U'Đ', U'đ', U'Ħ', U'ħ', U'Ŀ', U'ŀ', U'ĸ', U'Ŋ', U'ŋ',
                                         U'ſ', U'Ŧ', U'ŧ', U'Ə', U'ə', U'Ɨ', U'ɨ', U'Ø', U'ø', U'ʼ', U'ʻ', 0};
        static const char *const latinTo[] = {"L", "l", "i", "D", "d", "H", "h", "L", "l", "k", "N", "n",
                                              "s", "T", "t", "E", "e", "I", "i", "O", "o", "'", "'"};
        add(latin, latinTo);
        static const char32_t cyrillic[] = {U'А', U'Б', U'В', U'Г', U'Д', U'Е', U'Ё', U'Ж', U'З', U'И', U'Й', U'К',
                                            U'Л', U'М', U'Н', U'О', U'П', U'Р', U'С', U'Т', U'У', U'Ф', U'Х', U'Ц',
                                            U'Ч', U'Ш', U'Щ', U'Ъ', U'Ы', U'Ь', U'Э', U'Ю', U'Я', U'Є', U'І', U'Ї',
                                            U'Ґ', U'Ў', U'Ј', U'Љ', U'Њ', U'Ћ', U'Џ', U'Ђ', 0};
        static const char *const cyrillicTo[] = {"A",  "B",  "V",  "G",  "D",    "E", "Yo", "Zh", "Z",  "I",  "Y",
                                                 "K",  "L",  "M",  "N",  "O",    "P", "R",  "S",  "T",  "U",  "F",
                                                 "Kh", "Ts", "Ch", "Sh", "Shch", "",  "Y",  "",   "E",  "Yu", "Ya",
                                                 "Ye", "I",  "Yi", "G",  "U",    "J", "Lj", "Nj", "C",  "Dz", "Dj"};
        add(cyrillic, cyrillicTo);
        static const char32_t greek[] = {U'Α', U'Β', U'Γ', U'Δ', U'Ε', U'Ζ', U'Η', U'Θ', U'Ι', U'Κ', U'Λ', U'Μ',
                                         U'Ν', U'Ξ', U'Ο', U'Π', U'Ρ', U'Σ', U'Τ', U'Υ', U'Φ', U'Χ', U'Ψ', U'Ω', 0};
        static const char *const greekTo[] = {"A", "V", "G", "D", "E", "Z",  "I", "Th", "I", "K", "L",  "M",
                                              "N", "X", "O", "P", "R", "S",  "T", "Y",  "F", "Ch", "Ps", "O"};
        add(greek, greekTo);
        return t;
    }();
    return table;
}

QString replacementFor(char32_t c)
{
    const auto &table = spelledLetters();
    if (const auto found = table.constFind(c); found != table.cend())
        return *found;
    // A small letter spelled as its capital is, in small letters.
    const char32_t upper = QChar::toUpper(c);
    if (upper != c) {
        if (const auto found = table.constFind(upper); found != table.cend())
            return found->toLower();
    }
    if (c == U'ς')
        return QStringLiteral("s");
    // A letter with accents: the letter without them.
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    QString base;
    for (const QChar part : decomposed) {
        if (part.category() != QChar::Mark_NonSpacing)
            base += part;
    }
    if (!base.isEmpty() && base != QString::fromUcs4(&c, 1)) {
        if (storable(base))
            return base;
        const QString again = replacementFor(base.toUcs4().value(0));
        if (again != QLatin1String("?") && base.size() == 1)
            return again;
    }
    return QStringLiteral("?");
}

} // namespace

QString plainLetters(const QString &text, QStringList *replacements)
{
    if (storable(text))
        return text;
    QString plain;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (storable(character) || QChar::category(c) == QChar::Other_Control) {
            plain += character;
            continue;
        }
        const QString replacement = replacementFor(c);
        plain += replacement;
        const QString change = character + QStringLiteral("→") + replacement;
        if (replacements && !replacements->contains(change))
            *replacements << change;
    }
    return plain;
}

} // namespace quorvia
