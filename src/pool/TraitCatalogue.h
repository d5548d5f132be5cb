// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pool/ProfileRecord.h"

#include <QString>
#include <QStringList>

namespace quorvia {

// The 22 traits, in the order of the flags of a record and of the editor's lists.
const QStringList &traitCatalogue();

// The names of the traits set in `flags`, in catalogue order, joined by "; "
// (the way the CSV files and the import preview list them).
QString traitNames(const TraitFlags &flags);

// The opposite of an own trait, or -1 for "Creative" and "Technical", which have none.
inline int oppositeTrait(int trait) { return trait < 2 ? -1 : (trait % 2 == 0 ? trait + 1 : trait - 1); }

} // namespace quorvia
