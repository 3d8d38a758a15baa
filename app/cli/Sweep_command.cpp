#include "app/cli/Cli_commands.h"
#include "app/cli/Exit_codes.h"
namespace velqoris::cli {
int RunSweep(const Options&, std::ostream&, std::ostream&, bool) { return kExitUsage; }
}
