// A long log: results streamed from the board into the CSV file as they
// arrive, with running statistics per channel and nothing else kept. A log
// longer than one start command allows is chained: the next start command
// goes out as soon as the last result of the previous one is in, and the
// time lost between them is measured and noted in the file.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "board/Clock.h"
#include "board/Event_host.h"
#include "session/Block_reader.h"
#include "session/Csv_log.h"
#include "session/Run_data.h"
#include "stats/Running_stats.h"

namespace velqoris {
class Measurement;
class TADC;
}  // namespace velqoris

namespace velqoris {

class LogRun {
 public:
  enum class Outcome {
    kComplete,
    kStopped,     // stop requested: stop command sent, link closed
    kStartError,  // the settings or a start command were refused
    kReadError,   // a read failed (USB error, pulled cable, bad frame): stop command sent
    kWriteError,  // the CSV file could not be written: stop command sent
  };

  // run has identified the board; settings are the log's (valid rate, channel, gain).
  LogRun(Measurement& run, TADC& board, const MeasureSettings& settings, const Clock& clock,
         EventHost& host, CsvLog& csv);

  // Told each block as it is kept (codes of a channel not logged are not meaningful).
  using BlockListener =
      std::function<void(const std::int32_t* codes0, const std::int32_t* codes1, int count)>;
  void SetBlockListener(BlockListener listener) { listener_ = std::move(listener); }

  // Results per start command; only tests ask for fewer than the board allows.
  void SetSegmentLimit(std::int32_t limit) { segmentLimit_ = limit; }

  // Logs total results; stop is polled between blocks, progress called after each block.
  Outcome Run(std::int64_t total, const std::function<bool()>& stop,
              const std::function<void()>& progress);

  std::int64_t Written() const { return written_; }
  std::int64_t Total() const { return total_; }
  // From the results still to come at the nominal rate.
  Clock::Duration TimeLeft() const;
  const RunningStats& Stats(int channel) const { return stats_[channel == 1 ? 1 : 0]; }
  // Seconds lost before each chained start command (one per chain link).
  const std::vector<double>& Gaps() const { return gaps_; }
  int StartCommands() const { return starts_; }
  // The current start command's time from the first one, as the rows' time_s count it.
  double SegmentStartSeconds() const { return segmentSeconds_; }
  std::int32_t LatestCode(int channel) const { return latest_[channel == 1 ? 1 : 0]; }

 private:
  bool Start(std::int32_t count);
  void Keep(const BlockReader& block, double segmentSeconds, std::int64_t segmentRead);

  Measurement& run_;
  TADC& board_;
  MeasureSettings settings_;
  const Clock& clock_;
  EventHost& host_;
  CsvLog& csv_;
  double rate_;
  std::int32_t segmentLimit_;
  std::int64_t total_ = 0;
  std::int64_t written_ = 0;
  RunningStats stats_[2];
  std::int32_t latest_[2] = {0, 0};
  std::vector<double> gaps_;
  int starts_ = 0;
  double segmentSeconds_ = 0.0;
  BlockListener listener_;
};

}  // namespace velqoris
