// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "grouping/GroupBuilder.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>

namespace quorvia::cli {

// What `groups` was asked for, as its arguments give it.
struct GroupsRequest {
    QString poolPath;
    SizeOption option = SizeOption::AmountOfGroups;
    QString sizeText;  // as the size box would hold it
    bool sizeGiven = false;
    std::optional<std::set<int>> selection;  // record numbers; none given: everybody
    QString outputPath;
    bool csv = false;
    bool improve = false;
    bool even = false;
    std::optional<std::set<int>> keep;  // record numbers that Improve leaves where they are
    QStringList avoid;                  // groups files whose pairs Improve keeps apart
    bool report = false;
    QString rulesPath;  // --rules FILE
    bool noRules = false;
};

} // namespace quorvia::cli
