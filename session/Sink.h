// What a run feeds: every destination of results (the data on display, a
// file, statistics, the window's hand-over, a sweep setting, a remote client)
// is a Sink, called by session/Acquisition in the order given, on the thread
// that drives the run; limits, stops and errors are the acquisition's alone.
// Per run: Begin once the board has started; Take for every block, in order;
// Gap before each later start command's first block; End once (also after a
// refused Begin). Begin or Take answering false (a full disk) ends the run as
// RunEnd::kSinkFailed, in Failure()'s words.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "board/Clock.h"
#include "records/Measure_settings.h"
#include "session/Run_end.h"

namespace velqoris {

struct RunInfo {
  MeasureSettings settings;  // with Gain
  // Results asked for; Acquisition::kUntilStopped for a run that ends only when stopped.
  std::int64_t total = 0;
  double rate = 0;  // nominal results per second
  std::string boardName;
  std::string boardVersion;
  // When the first start command went out, on the acquisition's clock.
  Clock::Duration start{0};
};

// Results as one read delivered them: 1 to 53 (two channels) or 100 (one).
struct Block {
  // Codes of CH0 and CH1; a channel the run does not measure is empty.
  std::span<const std::int32_t> codes[2];
  int count = 0;
  // Index in the run of the block's first result (0 = the run's first).
  std::int64_t first = 0;
  // When the block's start command went out, in seconds after the first one,
  // and the index of the block's first result among that command's results.
  double segmentSeconds = 0;
  std::int64_t segmentFirst = 0;
  double rate = 0;

  // Seconds of result i after the run's first result: the results' own
  // spacing within one start command, the measured start of each later one.
  double Seconds(int i) const {
    return segmentSeconds + static_cast<double>(segmentFirst + i) / rate;
  }
  bool Has(int channel) const { return !codes[channel == 1 ? 1 : 0].empty(); }
};

class Sink {
 public:
  virtual ~Sink() = default;
  virtual bool Begin(const RunInfo&) { return true; }
  virtual bool Take(const Block& block) = 0;
  // Start command number startCommand (2, 3, …) went out `seconds` after the
  // previous one's last result was due: the results of that time are missing.
  virtual void Gap(int /*startCommand*/, double /*seconds*/) {}
  // False: what the sink took could not be kept after all (its file did not
  // close); a run that would have ended well then ends with kSinkFailed.
  virtual bool End(const RunResult&) { return true; }
  // Why Begin, Take or End failed, in the user's words.
  virtual std::string Failure() const { return {}; }
};

}  // namespace velqoris
