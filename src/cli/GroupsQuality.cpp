// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/GroupsQuality.h"

#include "grouping/BestPossible.h"
#include "grouping/GroupImprover.h"
#include "grouping/GroupQuality.h"

namespace quorvia::cli {

GroupTable improvedGroups(const GroupTable &groups, bool even, const std::vector<ProfileRecord> &kept,
                          ImprovePenalty *penalty, bool liftWeakest)
{
    ImproveOptions options;
    options.penalty = penalty;
    options.evenSizes = even;
    options.penalty = penalty;
    options.liftWeakest = liftWeakest;
    options.lockedSlots.assign(groups.slotRecords.size(), false);
    // A record stands in the table as a copy: the first slot holding an equal
    // record not locked yet is its slot (equal records are interchangeable).
    for (const ProfileRecord &record : kept) {
        for (std::size_t slot = 0; slot < groups.slotRecords.size(); ++slot) {
            if (!options.lockedSlots[slot] && groups.slotRecords[slot].HasData != 0
                && groups.slotRecords[slot] == record) {
                options.lockedSlots[slot] = true;
                break;
            }
        }
    }
    return improveGroups(groups, options).groups;
}

QString qualityReportText(const GroupTable &groups)
{
    const QualityReport report = assessGroups(groups);
    const BestPossible best = bestPossible(groups);
    QString text;
    for (std::size_t g = 0; g < report.groups.size(); ++g) {
        const GroupFit &fit = report.groups[g];
        text += QStringLiteral("%1\t%2\t%3\t%4\n").arg(g + 1).arg(fit.people).arg(fit.score).arg(fit.conflicts);
    }
    text += QStringLiteral("total\t%1\t%2\t%3\t%4\t%5\n")
                .arg(report.total.people)
                .arg(report.total.score)
                .arg(report.total.conflicts)
                .arg(best.bound)
                .arg(percentOf(report.total.score, best.bound), 0, 'f', 1);
    return text;
}

} // namespace quorvia::cli
