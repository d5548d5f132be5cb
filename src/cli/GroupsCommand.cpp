#include "cli/CliSupport.h"
#include "cli/Commands.h"

// Placeholder until the group builder lands.
namespace quorvia::cli {

int runGroupsCommand(const QStringList &) { return fail(UsageFailure, QStringLiteral("groups is not available yet")); }

} // namespace quorvia::cli
