#include "grouping/GroupImprover.h"

namespace quorvia {

ImproveResult improveGroups(const GroupTable &start, const ImproveOptions &, const ImproveProgress &)
{
    return ImproveResult{start, false};
}

} // namespace quorvia
