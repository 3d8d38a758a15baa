#include "session/Sweep_run.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/Typical_noise.h"
#include "session/Run_buffer.h"

namespace velqoris {

namespace {

double RateOf(int spsSel) { return DataRate(spsSel).value_or(kDataRates.front()); }

}  // namespace

std::int32_t SettingCount(const SweepPlan& plan, int spsSel) {
  std::int64_t n = plan.count;
  if (plan.maxTimeMs > 0) {
    const auto byTime = static_cast<std::int64_t>(
        std::floor(static_cast<double>(plan.maxTimeMs) * RateOf(spsSel) / 1000.0));
    n = std::min(n, std::max<std::int64_t>(byTime, RunBuffer::kMinKept));
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 1, Acquisition::kMaxStartCount));
}

namespace {

// One setting's results of its channel, for its figures.
class CellSink final : public Sink {
 public:
  CellSink(std::vector<std::int32_t>& codes, int& read) : codes_(codes), read_(read) {}
  bool Take(const Block& block) override {
    const auto& c = block.codes[block.Has(0) ? 0 : 1];
    codes_.insert(codes_.end(), c.begin(), c.end());
    read_ += block.count;
    return true;
  }

 private:
  std::vector<std::int32_t>& codes_;
  int& read_;
};

}  // namespace

SweepRun::SweepRun(Acquisition& acquisition, SweepPlan plan)
    : acquisition_(acquisition), plan_(std::move(plan)) {
  for (const int r : plan_.rateSels) {
    for (const int g : plan_.gainSels) {
      SweepCell cell;
      cell.spsSel = r;
      cell.gainSel = g;
      cell.count = SettingCount(plan_, r);
      MeasureSettings s = plan_.base;
      s.spsSel = r;
      s.GainSel = g;
      cell.typicalNanovolts = analysis::TypicalRmsNanovolts(s);
      cells_.push_back(cell);
    }
  }
}

const SweepCell& SweepRun::Cell(std::size_t row, std::size_t column) const {
  return cells_.at(row * plan_.gainSels.size() + column);
}

bool SweepRun::Run(const std::function<bool()>& stop,
                   const std::function<void(const SweepCell&)>& cellDone,
                   const std::function<void(int row)>& rowDone,
                   const std::function<void()>& progress, const std::vector<Sink*>& more) {
  const std::size_t columns = plan_.gainSels.size();
  for (std::size_t i = 0; i < cells_.size() && !stopped_; ++i) {
    MeasureCell(cells_[i], stop, progress, more);
    if (cells_[i].end != RunEnd::kStopped) {
      ++finished_;
      if (cellDone) cellDone(cells_[i]);
    }
    const bool rowEnd = (i + 1) % columns == 0;
    if ((rowEnd || stopped_) && rowDone) rowDone(static_cast<int>(i / columns));
  }
  current_ = nullptr;
  return !stopped_;
}

void SweepRun::MeasureCell(SweepCell& cell, const std::function<bool()>& stop,
                           const std::function<void()>& progress, const std::vector<Sink*>& more) {
  current_ = &cell;
  currentRead_ = 0;
  if (stop && stop()) {
    stopped_ = true;
    cell.end = RunEnd::kStopped;
    return;
  }
  Acquisition::Plan run{plan_.base, cell.count};
  run.settings.spsSel = cell.spsSel;
  run.settings.GainSel = cell.gainSel;
  run.settings.Gain = DerivedGain(cell.gainSel);
  std::vector<std::int32_t> codes;
  codes.reserve(static_cast<std::size_t>(cell.count));
  CellSink sink(codes, currentRead_);
  std::vector<Sink*> sinks{&sink};
  sinks.insert(sinks.end(), more.begin(), more.end());
  cell.end = acquisition_.Run(run, sinks, stop, progress);
  if (cell.end == RunEnd::kStopped) stopped_ = true;
  if (cell.Done()) cell.figures = analysis::AnalyzeNoise(codes.data(), cell.count, run.settings);
}

Clock::Duration SweepRun::TimeLeft() const {
  double seconds = 0;
  for (const SweepCell& cell : cells_) {
    if (cell.end != RunEnd::kNotEnded) continue;
    const int done = &cell == current_ ? currentRead_ : 0;
    seconds += (cell.count - done) / RateOf(cell.spsSel);
  }
  return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

}  // namespace velqoris
