#include "session/Sweep_run.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/Typical_noise.h"
#include "session/Measurement.h"
#include "session/Block_reader.h"
#include "board/Ad7190.h"

namespace velqoris::cli {

namespace {

double RateOf(int spsSel) { return DataRate(spsSel).value_or(kDataRates.front()); }

}  // namespace

std::int32_t SettingCount(const SweepPlan& plan, int spsSel) {
  std::int64_t n = plan.count;
  if (plan.maxTimeMs > 0) {
    const auto byTime = static_cast<std::int64_t>(
        std::floor(static_cast<double>(plan.maxTimeMs) * RateOf(spsSel) / 1000.0));
    n = std::min(n, std::max<std::int64_t>(byTime, Measurement::kMinKept));
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 1, Measurement::kMaxStartCount));
}

SweepRun::SweepRun(Measurement& run, RunData& data, TADC& board, const Clock& clock,
                   EventHost& host, SweepPlan plan)
    : run_(run), data_(data), board_(board), clock_(clock), host_(host), plan_(std::move(plan)) {
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

Clock::Duration SweepRun::NoResultsWait(int spsSel) {
  // Two seconds beyond the time two blocks take to arrive.
  const double block = ReadBlock(spsSel).value_or(1) / RateOf(spsSel);
  return std::chrono::duration_cast<Clock::Duration>(
      std::chrono::duration<double>(2.0 + 2 * block));
}

const SweepCell& SweepRun::Cell(std::size_t row, std::size_t column) const {
  return cells_.at(row * plan_.gainSels.size() + column);
}

bool SweepRun::Run(const std::function<bool()>& stop,
                   const std::function<void(const SweepCell&)>& cellDone,
                   const std::function<void(int row)>& rowDone,
                   const std::function<void()>& progress) {
  const std::size_t columns = plan_.gainSels.size();
  for (std::size_t i = 0; i < cells_.size() && !stopped_; ++i) {
    MeasureCell(cells_[i], stop, progress);
    if (cells_[i].state != SweepCell::State::kStopped) {
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
                           const std::function<void()>& progress) {
  current_ = &cell;
  currentRead_ = 0;
  if (stop && stop()) {
    stopped_ = true;
    cell.state = SweepCell::State::kStopped;
    return;
  }
  // A failed setting may have left the link closed or the board confused.
  if (needsConnect_) {
    if (run_.ConnectBoard() != Measurement::ConnectResult::kOk) {
      cell.state = SweepCell::State::kNoBoard;
      return;
    }
    run_.fBoardReady = true;
    needsConnect_ = false;
  }
  MeasureSettings& s = data_.Settings;
  s = plan_.base;
  s.spsSel = cell.spsSel;
  s.GainSel = cell.gainSel;
  s.Gain = TADC::GainFactor(cell.gainSel);
  if (!run_.SetupBoard(cell.count)) {
    cell.state = SweepCell::State::kSetupError;
    needsConnect_ = true;
    return;
  }
  const int block = ReadBlock(s.spsSel).value_or(1);
  const Clock::Duration wait = NoResultsWait(s.spsSel);
  BlockReader reader(board_, s.CHSel);
  codes_.assign(static_cast<std::size_t>(cell.count), 0);
  Clock::Duration lastResult = clock_.Now();
  while (currentRead_ < cell.count) {
    if (stop && stop()) {
      run_.ReleaseBoard();
      stopped_ = true;
      cell.state = SweepCell::State::kStopped;
      return;
    }
    const auto status = reader.Read(std::min(block, cell.count - currentRead_));
    if (status == BlockReader::Status::kError) {
      board_.StopConversion();
      cell.state = SweepCell::State::kReadError;
      needsConnect_ = true;
      return;
    }
    if (status == BlockReader::Status::kWaiting) {
      if (clock_.Now() - lastResult > wait) {
        board_.StopConversion();
        cell.state = SweepCell::State::kNoResults;
        needsConnect_ = true;
        return;
      }
      host_.ProcessEvents();
      continue;
    }
    const std::int32_t* codes = reader.Codes(s.CHSel == 1 ? 1 : 0);
    std::copy(codes, codes + reader.Count(), codes_.begin() + currentRead_);
    currentRead_ += reader.Count();
    lastResult = clock_.Now();
    if (progress) progress();
  }
  cell.figures = analysis::AnalyzeNoise(codes_.data(), cell.count, s);
  cell.state = SweepCell::State::kDone;
}

Clock::Duration SweepRun::TimeLeft() const {
  double seconds = 0;
  for (const SweepCell& cell : cells_) {
    if (cell.state != SweepCell::State::kNotRun) continue;
    const int done = &cell == current_ ? currentRead_ : 0;
    seconds += (cell.count - done) / RateOf(cell.spsSel);
  }
  return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

}  // namespace velqoris::cli
