// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QString>

namespace quorvia {

// The ticks the profile editor shows once it has loaded `record`, the later
// tick winning where the stored flags break a rule: of an opposite pair of
// own traits ticked both, only the second stays; a trait that is both
// compatible and incompatible stays incompatible only. Flags end up as
// True or False. Returns whether any flag changed.
bool applyLoadedTraitRules(ProfileRecord &record);

// The texts as a save stores them: blanks removed at both ends, each cut
// after 12 characters and blank-padded; then HasData, HasPosition and
// HasBothNames derived from the stored texts.
void setSavedTexts(ProfileRecord &record, const QString &firstName, const QString &lastName,
                   const QString &position);

} // namespace quorvia
