// The last line of a log's CSV, "# end: REASON, TIME", so that a script can
// tell a log that ran to its end from one that was cut short (readers that
// skip '#' lines never see it). REASON is one of
//   finished      every result asked for is in the file
//   stopped       stopped by the user (Ctrl-C, SIGTERM, SIGHUP, the stop button)
//   board error   the board refused a start command or a read failed
//   board gone    the board went away (a pulled cable)
//   disk full     the file could not take more rows
//   write error   the file could not be written for another reason
// and TIME is the local time with its UTC offset (ISO 8601).
#pragma once

#include <chrono>
#include <string>

#include "session/Log_run.h"

namespace velqoris {

class CsvLog;

enum class LogEnd { kFinished, kStopped, kBoardError, kBoardGone, kDiskFull, kWriteError };

// The write error's errno decides between disk full and write error.
LogEnd WriteFailureEnd(int error);

// Without the leading "# ".
std::string LogEndLine(LogEnd end, std::chrono::system_clock::time_point at);

// Writes out the rows that wait, then the end line that says how the log
// ended (a failed write wins over the run's outcome), and closes the file.
// False when a row could not be written.
bool FinishLog(CsvLog& csv, const LogRun& log, LogRun::Outcome outcome);

}  // namespace velqoris
