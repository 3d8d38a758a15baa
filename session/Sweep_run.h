// A noise sweep: one run per (data rate, gain) with everything else fixed,
// each run's noise figures from the analysis, row by row (a row is a data
// rate). A setting that fails is marked and the sweep goes on with the
// next; a stop keeps every cell measured so far.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/Noise_figures.h"
#include "session/Run_data.h"
#include "board/Clock.h"
#include "board/Event_host.h"

namespace velqoris {
class Measurement;
class TADC;
}  // namespace velqoris

namespace velqoris::cli {

struct SweepCell {
  enum class State {
    kNotRun,  // not reached (the sweep was stopped before)
    kDone,
    kNoBoard,     // the board could not be identified again after a failure
    kSetupError,  // a setting or the start command was refused
    kReadError,   // a read failed: stop command sent
    kNoResults,   // no results came within the wait: stop command sent
    kStopped,     // the stop came during this setting's run
  };
  State state = State::kNotRun;
  int spsSel = 0;
  int gainSel = 0;
  int count = 0;  // results asked for
  analysis::NoiseFigures figures;
  std::optional<double> typicalNanovolts;
};

struct SweepPlan {
  MeasureSettings base;  // channel (0 or 1), filter, buffer, chop
  std::vector<int> rateSels;
  std::vector<int> gainSels;
  std::int64_t count = 1000;
  std::int64_t maxTimeMs = 0;  // 0: no time limit per setting
};

// Results one setting asks for: the count, fewer when the time limit is
// shorter, never fewer than the ten a run needs for its figures.
std::int32_t SettingCount(const SweepPlan& plan, int spsSel);

class SweepRun {
 public:
  // run has identified the board; data is the run's (its settings are set per cell).
  SweepRun(Measurement& run, RunData& data, TADC& board, const Clock& clock, EventHost& host,
           SweepPlan plan);

  // How long a setting may go without any result before it counts as failed.
  static Clock::Duration NoResultsWait(int spsSel);

  // Runs every cell; stop is polled between blocks; cellDone after each
  // cell, rowDone after each row; progress after each block. False when stopped.
  bool Run(const std::function<bool()>& stop, const std::function<void(const SweepCell&)>& cellDone,
           const std::function<void(int row)>& rowDone, const std::function<void()>& progress);

  const SweepPlan& Plan() const { return plan_; }
  const SweepCell& Cell(std::size_t row, std::size_t column) const;
  // Settings finished (done or failed) and all settings.
  int Finished() const { return finished_; }
  int Settings() const { return static_cast<int>(cells_.size()); }
  // The setting being measured and its results so far.
  const SweepCell* Current() const { return current_; }
  int CurrentRead() const { return currentRead_; }
  // From the results still to come at the nominal rates.
  Clock::Duration TimeLeft() const;

 private:
  void MeasureCell(SweepCell& cell, const std::function<bool()>& stop,
                   const std::function<void()>& progress);

  Measurement& run_;
  RunData& data_;
  TADC& board_;
  const Clock& clock_;
  EventHost& host_;
  SweepPlan plan_;
  std::vector<SweepCell> cells_;  // row by row
  std::vector<std::int32_t> codes_;
  SweepCell* current_ = nullptr;
  int currentRead_ = 0;
  int finished_ = 0;
  bool needsConnect_ = false;
  bool stopped_ = false;
};

}  // namespace velqoris::cli
