// A recording from the window: the very log `velqoris-cli log` runs (same
// settings order, CSV file, chained start commands, flushes and gap notes),
// on a thread of its own so the window never waits on the board. The window
// takes what arrived in finished blocks and a copy of the progress; nothing
// else is shared with the thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Event_host.h"
#include "records/Measure_settings.h"
#include "session/Acquisition.h"
#include "session/Run_end.h"
#include "session/Sink.h"
#include "session/Stats_sink.h"
#include "stats/Running_stats.h"

namespace velqoris {

// How long the recording's event host pauses between looks at the link: a
// quarter of a block's time at that rate (1 … 20 ms), so waiting for the next
// block keeps no core busy and no block waits long.
std::chrono::microseconds RecordingPause(int spsSel);

class Recording : private Sink {
 public:
  // Results a recording "until stopped" may reach: the log's own limit.
  static constexpr std::int64_t kUntilStopped = 2147483647;

  struct Progress {
    std::int64_t written = 0;
    std::int64_t total = 0;
    RunningStats stats[2];
    RunEnd end = RunEnd::kNotEnded;
    // Once ended with kSinkFailed: what could not be written, with the system's reason.
    std::string failure;
  };

  // Results of both channels as one read delivered them (a channel not
  // recorded has no codes).
  struct Block {
    std::vector<std::int32_t> codes[2];
  };

  // device, clock and host are used by the recording's thread alone until it
  // has ended; the window must leave the device closed meanwhile.
  Recording(d2xx::Api& device, const Clock& clock, EventHost& host);
  ~Recording() override;
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  // Creates the CSV file (false when it cannot) and starts the thread that
  // connects, sends the settings and logs total results.
  bool Start(const std::string& path, const MeasureSettings& settings, std::int64_t total);
  // Asks the thread to stop after the block in hand; it sends the stop
  // command, closes the link and the file.
  void Stop();
  bool Ended() const;
  // Waits for the thread (after Ended, at once).
  void Join();

  // Blocks that arrived since the last call, oldest first.
  std::vector<Block> TakeBlocks();
  Progress Snapshot() const;
  const MeasureSettings& Settings() const { return settings_; }
  const std::string& Path() const { return path_; }
  // errno when Start could not create the file.
  int StartError() const { return startError_; }

  // Results that may wait for the window before the oldest are dropped (the
  // file keeps them): a window that stalls never makes the memory grow.
  static constexpr std::size_t kMaxWaitingResults = 4800 * 10;

 private:
  void Body(std::int64_t total);
  // The hand-over to the window, after the file's and the statistics' sinks.
  bool Take(const velqoris::Block& block) override;

  d2xx::Api& device_;
  const Clock& clock_;
  EventHost& host_;
  MeasureSettings settings_;
  std::string path_;
  int startError_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  StatsSink stats_;  // the thread's own
  mutable std::mutex mutex_;
  Progress progress_;
  std::vector<Block> waiting_;
  std::size_t waitingResults_ = 0;
};

}  // namespace velqoris
