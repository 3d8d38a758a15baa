// The acquisition core: the one place that runs the board. It connects and
// identifies the board, sends the settings, starts a run (chaining start
// commands past the 1,048,575 results one command allows, the time lost
// between them measured and told to the sinks), reads the results one block
// at a time, stops, and decides how the run ended (RunEnd). Every front end
// drives its runs through it and gets its results as a Sink (session/Sink.h):
//
//   stepwise, for a window's idle handler:  Connect, Start, then Step on each
//   pass until it answers kEnded (or Stop);
//   blocking, for a thread or a tool:  Run (or Start, then Follow), with a
//   stop flag polled before each read and a progress call after each block.
// How each end leaves the board is one rule for every path (Run_end.h,
// session/README.md). One thread drives an Acquisition and owns the board.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/Event_host.h"
#include "records/Measure_settings.h"
#include "session/Run_end.h"
#include "session/Sink.h"

namespace velqoris {

class Acquisition {
 public:
  static constexpr const char* kBoardName = "VELQORIS";
  // The most results one start command asks for: five hexadecimal digits.
  static constexpr std::int32_t kMaxStartCount = 0xFFFFF;
  // A run that ends only when stopped (start commands chained without end).
  static constexpr std::int64_t kUntilStopped = std::numeric_limits<std::int64_t>::max();

  struct Plan {
    MeasureSettings settings;  // rate, channel, gain, filter, buffer, chop (Gain is derived)
    std::int64_t total = 0;    // 1 … kUntilStopped
    // Results per start command; only tests ask for fewer than the board allows.
    std::int32_t segmentLimit = kMaxStartCount;
  };

  enum class Pass {
    kIdle,     // no run in progress
    kWaiting,  // the block has not fully arrived yet
    kBlock,    // a block went to the sinks and the run goes on
    kEnded,    // the run ended on this pass: Result() says how
  };

  Acquisition(TADC& board, const Clock& clock, EventHost& host);
  Acquisition(const Acquisition&) = delete;
  Acquisition& operator=(const Acquisition&) = delete;

  // Opens the link and identifies the board; else the failure, link closed.
  std::optional<RunEnd> Connect();
  // Connects unless the board is ready, sends the settings and the first
  // start command, then Begin to each sink (not owned). Nothing while the run
  // goes on; else how it ended (a selection outside its list never goes out).
  std::optional<RunEnd> Start(const Plan& plan, std::vector<Sink*> sinks);
  // One look at the link, never waiting: a block to the sinks, or nothing yet.
  Pass Step();
  // Stop command, link closed; the sinks hear kStopped.
  void Stop();
  // Start, then steps until the end: stop polled before each read, progress
  // after each block, the event host run on passes without one.
  RunEnd Run(const Plan& plan, std::vector<Sink*> sinks, const std::function<bool()>& stop = {},
             const std::function<void()>& progress = {});
  // The same for a run already started.
  RunEnd Follow(const std::function<bool()>& stop = {}, const std::function<void()>& progress = {});
  // Stop command and link closed, with no run in progress.
  void Release();

  // How long a run may go without a result before it counts as stalled: two
  // seconds beyond the time two blocks take to arrive.
  static Clock::Duration StallWait(int spsSel);
  // How often to look at a stepwise run: twice per block (1 … 50 ms).
  static int PollIntervalMs(int spsSel);

  // Connected and identified, with no refused setting since.
  bool IsBoardReady() const { return fBoardReady; }
  bool IsMeasuring() const { return fMeasuring; }
  const std::string& BoardName() const { return boardName_; }
  const std::string& BoardVersion() const { return boardVersion_; }
  // The run in progress or the last one: its settings, results asked for and in.
  const MeasureSettings& Settings() const { return plan_.settings; }
  std::int64_t TargetCount() const { return plan_.total; }
  std::int64_t ReadCount() const { return read_; }
  // From the results still to come at the nominal rate.
  Clock::Duration TimeLeft() const;
  int StartCommands() const { return starts_; }
  // Seconds lost before each chained start command (one per chain link).
  const std::vector<double>& Gaps() const { return gaps_; }
  // How the last run ended (kNotEnded while one is in progress).
  const RunResult& Result() const { return result_; }

 private:
  bool SendSettings(const MeasureSettings& s);
  bool StartSegment();
  bool ChainNext();
  void Deliver(int count);
  // Stop command for a run that goes wrong; the link closes if even that fails.
  void Halt(RunEnd why);
  void Finish(RunEnd end);

  TADC& board_;
  const Clock& clock_;
  EventHost& host_;
  bool fBoardReady = false;
  bool fMeasuring = false;
  std::string boardName_;
  std::string boardVersion_;
  Plan plan_;
  double rate_ = 1;
  int block_ = 1;
  std::vector<Sink*> sinks_;
  std::size_t begun_ = 0;
  std::int64_t read_ = 0;
  int starts_ = 0;
  std::int32_t segmentCount_ = 0;
  std::int64_t segmentRead_ = 0;
  Clock::Duration origin_{0};
  Clock::Duration segmentStart_{0};
  Clock::Duration lastResult_{0};
  std::vector<double> gaps_;
  RunResult result_;
  std::array<std::int32_t, TADC::kMaxSingleFrames> codes_[2] = {};
};

}  // namespace velqoris
