// SPDX-License-Identifier: GPL-3.0-or-later
#include "pool/ProfileRules.h"

#include "pool/TraitCatalogue.h"

namespace quorvia {
namespace {

std::int16_t asFlag(bool on) { return on ? kTrue : kFalse; }

} // namespace

bool applyLoadedTraitRules(ProfileRecord &record)
{
    const ProfileRecord before = record;
    for (int t = 0; t < kTraitCount; ++t) {
        const auto i = std::size_t(t);
        const int partner = oppositeTrait(t);
        // Only the first of a pair loses: ticking the second unticks it.
        const bool partnerWins = partner > t && isSet(before.OwnAttributes[std::size_t(partner)]);
        record.OwnAttributes[i] = asFlag(isSet(before.OwnAttributes[i]) && !partnerWins);
        record.CompatibleWith[i] = asFlag(isSet(before.CompatibleWith[i]) && !isSet(before.IncompatibleWith[i]));
        record.IncompatibleWith[i] = asFlag(isSet(before.IncompatibleWith[i]));
    }
    return record != before;
}

void setSavedTexts(ProfileRecord &record, const QString &firstName, const QString &lastName, const QString &position)
{
    setFieldText(record.FirstName, trimBlanks(firstName));
    setFieldText(record.LastName, trimBlanks(lastName));
    setFieldText(record.Position, trimBlanks(position));
    // From what is stored, so a text cut after 12 characters counts as it reads back.
    const bool hasFirst = !trimmedField(record.FirstName).isEmpty();
    const bool hasLast = !trimmedField(record.LastName).isEmpty();
    const bool hasPosition = !trimmedField(record.Position).isEmpty();
    record.HasData = asFlag(hasFirst || hasLast || hasPosition);
    record.HasPosition = asFlag(hasPosition);
    record.HasBothNames = asFlag(hasFirst && hasLast);
}

} // namespace quorvia
