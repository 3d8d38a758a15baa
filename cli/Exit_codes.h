// The tool's exit codes, which scripts rely on.
#pragma once

namespace velqoris::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 1,
  kExitBoard = 2,    // not found, no answer, another board, or a setting refused
  kExitRun = 3,      // a read error ended the run, or it was stopped with too few results
  kExitBadFile = 4,  // the data file is not valid
  kExitOutput = 5,   // an output file could not be written
};

}  // namespace velqoris::cli
