// How a run ended, one value for every way, the same for every front end:
// the window, its recording, the command-line tool's measure, log and sweep,
// and whatever drives a run later. Each front end words it in one place.
#pragma once

#include <cstdint>
#include <string>

namespace velqoris {

enum class RunEnd {
  kNotEnded,     // still running, or never started (a sweep setting not reached)
  kComplete,     // every result asked for arrived
  kStopped,      // the caller stopped it: stop command sent, link closed
  kNoBoard,      // the device could not be opened
  kOtherBoard,   // a board answered with another name than "VELQORIS"
  kNoAnswer,     // the board did not acknowledge, or its name or version query failed
  kRefused,      // a setting or a start command was refused: the next start identifies again
  kReadError,    // a read failed (USB error, bad frame): stop command sent, link kept
  kPulledCable,  // a read failed and not even the stop went out: link closed
  kStalled,      // no result came within the wait: stop command sent, link kept
  kSinkFailed,   // a sink could not take the results (a full disk): stop command sent
};

// The three ways of not getting as far as an identified board.
constexpr bool IsConnectFailure(RunEnd end) {
  return end == RunEnd::kNoBoard || end == RunEnd::kOtherBoard || end == RunEnd::kNoAnswer;
}

struct RunResult {
  RunEnd end = RunEnd::kNotEnded;
  // Results that reached the sinks.
  std::int64_t results = 0;
  // Start commands sent (a refusal of the first is a refused setting to the user).
  int startCommands = 0;
  // kSinkFailed: the failing sink's own words (what could not be written).
  std::string failure;
};

}  // namespace velqoris
