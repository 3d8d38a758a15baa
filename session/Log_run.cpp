#include "session/Log_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "board/Ad7190.h"
#include "graph/Axis_scale.h"
#include "session/Log_gap_note.h"
#include "session/Measurement.h"

namespace velqoris {

namespace {

double Seconds(Clock::Duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

LogRun::LogRun(Measurement& run, TADC& board, const MeasureSettings& settings, const Clock& clock,
               EventHost& host, CsvLog& csv)
    : run_(run),
      board_(board),
      settings_(settings),
      clock_(clock),
      host_(host),
      csv_(csv),
      rate_(DataRate(settings.spsSel).value_or(kDataRates.front())),
      segmentLimit_(Measurement::kMaxStartCount) {}

bool LogRun::Start(std::int32_t count) {
  ++starts_;
  // The board keeps its settings between runs, so later links only start.
  if (starts_ == 1) return run_.SetupBoard(count);
  return board_.StartConversion(settings_.CHSel, count);
}

LogRun::Outcome LogRun::Run(std::int64_t total, const std::function<bool()>& stop,
                            const std::function<void()>& progress) {
  total_ = total;
  written_ = 0;
  const int block = ReadBlock(settings_.spsSel).value_or(1);
  BlockReader reader(board_, settings_.CHSel);
  Clock::Duration origin{0};
  Clock::Duration previousStart{0};
  std::int32_t previousCount = 0;
  while (written_ < total_) {
    const auto count = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::max<std::int32_t>(segmentLimit_, 1), total_ - written_));
    if (!Start(count)) return Outcome::kStartError;
    const Clock::Duration start = clock_.Now();
    if (starts_ == 1) {
      origin = start;
    } else {
      // Where the next result would have been without the new start command.
      const double gap = Seconds(start - previousStart) - previousCount / rate_;
      gaps_.push_back(gap);
      csv_.Note(GapNote(starts_, gap));
    }
    const double segmentSeconds = Seconds(start - origin);
    segmentSeconds_ = segmentSeconds;
    std::int64_t read = 0;
    while (read < count) {
      if (stop && stop()) {
        run_.ReleaseBoard();
        return Outcome::kStopped;
      }
      const auto status =
          reader.Read(static_cast<int>(std::min<std::int64_t>(block, count - read)));
      if (status == BlockReader::Status::kError) {
        board_.StopConversion();
        return Outcome::kReadError;
      }
      if (status == BlockReader::Status::kBlock) {
        Keep(reader, segmentSeconds, read);
        read += reader.Count();
        if (progress) progress();
      }
      csv_.FlushIfDue(clock_.Now());
      if (csv_.Failed()) {
        run_.ReleaseBoard();
        return Outcome::kWriteError;
      }
      if (status == BlockReader::Status::kWaiting) host_.ProcessEvents();
    }
    previousStart = start;
    previousCount = count;
  }
  return Outcome::kComplete;
}

void LogRun::Keep(const BlockReader& block, double segmentSeconds, std::int64_t segmentRead) {
  const bool ch0 = settings_.CHSel != 1;
  const bool ch1 = settings_.CHSel != 0;
  for (int i = 0; i < block.Count(); ++i) {
    const std::int32_t c0 = ch0 ? block.Codes(0)[i] : 0;
    const std::int32_t c1 = ch1 ? block.Codes(1)[i] : 0;
    if (ch0) stats_[0].Add(c0);
    if (ch1) stats_[1].Add(c1);
    const double seconds = segmentSeconds + static_cast<double>(segmentRead + i) / rate_;
    ++written_;
    csv_.Row(written_, seconds, c0, ch0 ? CodeToMicrovolts(c0, settings_.Gain) : 0.0f, c1,
             ch1 ? CodeToMicrovolts(c1, settings_.Gain) : 0.0f);
  }
  if (listener_) listener_(block.Codes(0), block.Codes(1), block.Count());
  if (ch0) latest_[0] = block.Codes(0)[block.Count() - 1];
  if (ch1) latest_[1] = block.Codes(1)[block.Count() - 1];
}

Clock::Duration LogRun::TimeLeft() const {
  const double seconds = static_cast<double>(total_ - written_) / rate_;
  return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

}  // namespace velqoris
