// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv/ImportWording.h"

#include "pool/TraitCatalogue.h"

#include <QStringView>

#include <algorithm>
#include <vector>

namespace quorvia {
namespace {

// Edit distance, for the "did you mean" of an unknown trait.
int distance(const QString &a, const QString &b)
{
    std::vector<int> row(std::size_t(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[std::size_t(j)];
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

QString quoted(const QString &text)
{
    return QLatin1Char('"') + escaped(text) + QLatin1Char('"');
}

QString escaped(const QString &text)
{
    constexpr qsizetype kShown = 80;
    QString shown;
    const qsizetype end = text.size() > kShown && text.at(kShown - 1).isHighSurrogate() ? kShown + 1 : kShown;
    for (const QChar c : QStringView(text).left(end)) {
        if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            shown += QStringLiteral("\\t");
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
                 || c.category() == QChar::Separator_Paragraph || c.category() == QChar::Other_Format)
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (end < text.size())
        shown += QStringLiteral("…");
    return shown;
}

QString closestTrait(const QString &unknown)
{
    const QString wanted = unknown.toLower();
    QString best;
    int bestDistance = std::max(2, int(wanted.size()) / 3) + 1;
    for (const QString &trait : traitCatalogue()) {
        const QString name = trait.toLower();
        const int d = wanted.size() >= 3 && name.startsWith(wanted) ? 1 : distance(wanted, name);
        if (d < bestDistance) {
            bestDistance = d;
            best = trait;
        }
    }
    return best;
}

} // namespace quorvia
