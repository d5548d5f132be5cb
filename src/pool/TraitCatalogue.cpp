// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/TraitCatalogue.h"

namespace quorvia {

const QStringList &traitCatalogue()
{
    static const QStringList traits = {
        QStringLiteral("Creative"),      QStringLiteral("Technical"),
        QStringLiteral("Independent"),   QStringLiteral("Follower"),
        QStringLiteral("Introvert"),     QStringLiteral("Extrovert"),
        QStringLiteral("Easygoing"),     QStringLiteral("Particular"),
        QStringLiteral("Serious"),       QStringLiteral("Comic"),
        QStringLiteral("Diligent"),      QStringLiteral("Inert"),
        QStringLiteral("Impulsive"),     QStringLiteral("Thoughtful"),
        QStringLiteral("Sophisticated"), QStringLiteral("Unworldly"),
        QStringLiteral("Incisive"),      QStringLiteral("Slower"),
        QStringLiteral("Younger"),       QStringLiteral("Older"),
        QStringLiteral("Expert"),        QStringLiteral("Beginner"),
    };
    return traits;
}

QString traitNames(const TraitFlags &flags)
{
    QStringList names;
    for (int t = 0; t < kTraitCount; ++t) {
        if (isSet(flags[std::size_t(t)]))
            names << traitCatalogue().at(t);
    }
    return names.join(QStringLiteral("; "));
}

} // namespace quorvia
