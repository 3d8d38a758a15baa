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
#include "board/Clock.h"
#include "session/Acquisition.h"
#include "session/Run_end.h"
#include "session/Sink.h"

namespace velqoris {

struct SweepCell {
  // kNotEnded: not reached (the sweep was stopped before); kStopped: the stop
  // came during this setting's run.
  RunEnd end = RunEnd::kNotEnded;
  bool Done() const { return end == RunEnd::kComplete; }
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
  // Each setting is one run of the acquisition (which connects again when a
  // failure left the board not ready).
  SweepRun(Acquisition& acquisition, SweepPlan plan);

  // Runs every cell; stop is polled between blocks; cellDone after each
  // cell, rowDone after each row; progress after each block. False when
  // stopped. Each setting's run also feeds `more` (say, a file of the codes).
  bool Run(const std::function<bool()>& stop, const std::function<void(const SweepCell&)>& cellDone,
           const std::function<void(int row)>& rowDone, const std::function<void()>& progress,
           const std::vector<Sink*>& more = {});

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
                   const std::function<void()>& progress, const std::vector<Sink*>& more);

  Acquisition& acquisition_;
  SweepPlan plan_;
  std::vector<SweepCell> cells_;  // row by row
  SweepCell* current_ = nullptr;
  int currentRead_ = 0;
  int finished_ = 0;
  bool stopped_ = false;
};

}  // namespace velqoris
