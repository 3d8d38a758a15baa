#include "session/Log_end.h"

#include <cerrno>

#include "session/Csv_log.h"
#include "session/Log_header.h"

namespace velqoris {

LogEnd WriteFailureEnd(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return LogEnd::kDiskFull;
#endif
  return error == ENOSPC || error == EFBIG ? LogEnd::kDiskFull : LogEnd::kWriteError;
}

std::string LogEndLine(LogEnd end, std::chrono::system_clock::time_point at) {
  const char* reason = "finished";
  switch (end) {
    case LogEnd::kFinished:
      break;
    case LogEnd::kStopped:
      reason = "stopped";
      break;
    case LogEnd::kBoardError:
      reason = "board error";
      break;
    case LogEnd::kBoardGone:
      reason = "board gone";
      break;
    case LogEnd::kDiskFull:
      reason = "disk full";
      break;
    case LogEnd::kWriteError:
      reason = "write error";
      break;
  }
  return std::string("end: ") + reason + ", " + Iso8601Local(at);
}

bool FinishLog(CsvLog& csv, const LogRun& log, LogRun::Outcome outcome) {
  csv.Flush();
  LogEnd end = LogEnd::kFinished;
  switch (outcome) {
    case LogRun::Outcome::kComplete:
      break;
    case LogRun::Outcome::kStopped:
      end = LogEnd::kStopped;
      break;
    case LogRun::Outcome::kStartError:
      end = LogEnd::kBoardError;
      break;
    case LogRun::Outcome::kReadError:
      end = log.BoardGone() ? LogEnd::kBoardGone : LogEnd::kBoardError;
      break;
    case LogRun::Outcome::kWriteError:
      end = LogEnd::kWriteError;
      break;
  }
  if (csv.Failed()) end = WriteFailureEnd(csv.Error());
  return csv.Finish(LogEndLine(end, std::chrono::system_clock::now()));
}

}  // namespace velqoris
