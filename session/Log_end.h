// The last line of a log's CSV, "# end: REASON, TIME", so that a script can
// tell a log that ran to its end from one that was cut short (readers that
// skip '#' lines never see it). REASON is one of
//   finished      every result asked for is in the file
//   stopped       stopped by the user (Ctrl-C, SIGTERM, SIGHUP, the stop button)
//   board error   the board refused a start command, a read failed or stalled
//   board gone    the board went away (a pulled cable)
//   disk full     the file could not take more rows
//   write error   the file could not be written for another reason
// and TIME is the local time with its UTC offset (ISO 8601).
#pragma once

#include <chrono>
#include <string>

#include "session/Run_end.h"

namespace velqoris {

// Without the leading "# ". writeError is the errno of the file's first failed
// write (0: none); a failed write wins over how the run ended.
std::string LogEndLine(RunEnd end, int writeError, std::chrono::system_clock::time_point at);

}  // namespace velqoris
