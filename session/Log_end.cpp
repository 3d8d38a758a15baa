#include "session/Log_end.h"

#include <cerrno>

#include "session/Log_header.h"

namespace velqoris {

namespace {

const char* WriteFailureReason(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return "disk full";
#endif
  return error == ENOSPC || error == EFBIG ? "disk full" : "write error";
}

const char* RunEndReason(RunEnd end) {
  switch (end) {
    case RunEnd::kNotEnded:
    case RunEnd::kComplete:
      return "finished";
    case RunEnd::kStopped:
      return "stopped";
    case RunEnd::kPulledCable:
      return "board gone";
    case RunEnd::kSinkFailed:
      // Another sink than the file's failed.
      return "write error";
    case RunEnd::kNoBoard:
    case RunEnd::kOtherBoard:
    case RunEnd::kNoAnswer:
    case RunEnd::kRefused:
    case RunEnd::kReadError:
    case RunEnd::kStalled:
      break;
  }
  return "board error";
}

}  // namespace

std::string LogEndLine(RunEnd end, int writeError, std::chrono::system_clock::time_point at) {
  const char* reason = writeError != 0 ? WriteFailureReason(writeError) : RunEndReason(end);
  return std::string("end: ") + reason + ", " + Iso8601Local(at);
}

}  // namespace velqoris
