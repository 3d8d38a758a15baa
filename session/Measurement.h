// One measurement run on the board, without any window: connecting and
// identifying the board, sending the settings and the start command, one
// collecting step per call, stopping, and the live-drawing block schedule.
// The window turns its results into status texts and boxes; the command-line
// tool into its output.
#pragma once

#include <cstdint>
#include <string>

#include "session/Run_data.h"

namespace velqoris {

class TADC;

class Measurement {
 public:
  static constexpr const char* kBoardName = "VELQORIS";
  // A stopped run keeps its results only from this many on.
  static constexpr int kMinKept = 10;
  // The most results one start command asks for: five hexadecimal digits.
  static constexpr std::int32_t kMaxStartCount = 0xFFFFF;

  enum class ConnectResult { kOk, kNotFound, kNoResponse, kOtherName };
  enum class StepResult {
    kIdle,      // no run in progress
    kWaiting,   // the block has not fully arrived yet
    kProgress,  // results arrived, the run goes on
    kComplete,  // the last results arrived: counts and flags describe the new data
    kError,     // a read failed: stop command sent, results discarded
  };

  Measurement(TADC& board, RunData& data, CodeConverter convert);
  Measurement(const Measurement&) = delete;
  Measurement& operator=(const Measurement&) = delete;

  // Opens the link and identifies the board. Every failure leaves the link
  // closed; BoardVersion is set only by kOk.
  ConnectResult ConnectBoard();
  // Sends the settings in the board's order, then starts the run. False at
  // the first refused step (or for a selection outside its list, which the
  // board is never sent). data.Settings is not touched: until a run has
  // started it describes the data on display.
  bool SetupBoard(const MeasureSettings& next);
  bool SetupBoard() { return SetupBoard(data_.Settings); }
  // The same for a run of count results (1 to kMaxStartCount), for the
  // command-line tool's long runs, which read the results themselves.
  bool SetupBoard(const MeasureSettings& next, std::int32_t count);
  bool SetupBoard(std::int32_t count) { return SetupBoard(data_.Settings, count); }
  // The run that SetupBoard started replaces the data on display: its
  // settings become data.Settings and the buffers are emptied.
  void BeginRun(const MeasureSettings& next);
  void BeginRun() { BeginRun(data_.Settings); }
  // One collecting step: one block of results, or nothing yet.
  StepResult MeasureStep();
  // During a slow, long run: true once another block of 100 results is in,
  // with its range, already converted to microvolts. At most one per call.
  bool NextLiveBlock(int& first, int& last);
  // Stops the board and closes the link. True when the results so far were
  // kept (at least kMinKept), false when they were discarded.
  bool StopRun();
  // Stop command, then the link closed; the next start identifies again.
  void ReleaseBoard();
  // Microvolts and statistics of the held data (after completion or a kept stop).
  void ConvertAll();
  void CalcStats();

  // How often a run should be polled: about twice per block, so a block
  // waits at most half its own time, and never more often than each 1 ms.
  int PollIntervalMs() const;

  // The newest result of a channel during a run (index ReadCount - 1).
  std::int32_t LatestCode(int channel) const;

  const CodeConverter& Converter() const { return convert_; }

  bool fBoardReady = false;
  bool fMeasuring = false;
  std::string BoardName;
  std::string BoardVersion;
  std::int32_t TargetCount = 0;
  std::int32_t ReadCount = 0;
  std::int32_t DrawPos = 0;

 private:
  StepResult MeasureStep1CH();
  StepResult MeasureStep2CH();
  StepResult Delivered(int count);
  void KeepResults(std::int32_t count);
  StepResult EndWithError();

  TADC& board_;
  RunData& data_;
  CodeConverter convert_;
};

}  // namespace velqoris
