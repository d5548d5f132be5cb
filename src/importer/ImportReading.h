// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv/PeopleCsv.h"

class QWidget;

namespace quorvia {

// Reads a people CSV file on a worker thread. A read that takes longer than
// half a second shows a progress dialog over `owner` whose Cancel stops it
// (the result then says cancelled); until then the windows take no input, so
// nothing can change under the import.
PeopleImport readPeopleCsvWithProgress(QWidget *owner, const QString &path);

} // namespace quorvia
