#include "session/Acquisition.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace velqoris {

namespace {

double Seconds(Clock::Duration d) { return std::chrono::duration<double>(d).count(); }

double RateOf(int spsSel) { return DataRate(spsSel).value_or(kDataRates.front()); }

}  // namespace

Acquisition::Acquisition(TADC& board, const Clock& clock, EventHost& host)
    : board_(board), clock_(clock), host_(host) {}

std::optional<RunEnd> Acquisition::Connect() {
  fBoardReady = false;
  const auto fail = [this](RunEnd end) {
    board_.Disconnect();
    result_ = RunResult{end, 0, 0, {}};
    return end;
  };
  if (!board_.Connect()) return fail(RunEnd::kNoBoard);
  char name[16] = {};
  if (!board_.CheckBoard() || !board_.GetBoardName(name)) return fail(RunEnd::kNoAnswer);
  if (std::string(name) != kBoardName) return fail(RunEnd::kOtherBoard);
  char version[16] = {};
  if (!board_.GetVersion(version)) return fail(RunEnd::kNoAnswer);
  boardName_ = name;
  boardVersion_ = version;
  fBoardReady = true;
  return std::nullopt;
}

std::optional<RunEnd> Acquisition::Start(const Plan& plan, std::vector<Sink*> sinks) {
  if (fMeasuring) return RunEnd::kRefused;
  plan_ = plan;
  plan_.settings.Gain = DerivedGain(plan.settings.GainSel);
  rate_ = RateOf(plan_.settings.spsSel);
  block_ = ReadBlock(plan_.settings.spsSel).value_or(1);
  sinks_ = std::move(sinks);
  begun_ = 0;
  read_ = 0;
  starts_ = 0;
  gaps_.clear();
  result_ = RunResult{};
  if (!fBoardReady) {
    if (const auto failed = Connect()) return failed;
  }
  // A refused setting leaves the board in doubt: the next start identifies it again.
  if (!SendSettings(plan_.settings) || !StartSegment()) {
    fBoardReady = false;
    Finish(RunEnd::kRefused);
    return RunEnd::kRefused;
  }
  fMeasuring = true;
  const RunInfo info{plan_.settings, plan_.total, rate_, boardName_, boardVersion_, origin_};
  for (Sink* sink : sinks_) {
    ++begun_;
    if (!sink->Begin(info)) {
      result_.failure = sink->Failure();
      Halt(RunEnd::kSinkFailed);
      return result_.end;
    }
  }
  return std::nullopt;
}

bool Acquisition::SendSettings(const MeasureSettings& s) {
  // A selection outside its list indexes no table and goes to no board.
  if (!DataRate(s.spsSel) || !ValidChannel(s.CHSel) || !GainOf(s.GainSel)) return false;
  if (plan_.total < 1 || plan_.segmentLimit < 1) return false;
  if (!(s.fSinc4 == 1 ? board_.SetSinc4() : board_.SetSinc3())) return false;
  if (!(s.fBUF_ON == 1 ? board_.SetBufferOn() : board_.SetBufferOff())) return false;
  if (!(s.fCHOP_ON == 1 ? board_.SetChopOn() : board_.SetChopOff())) return false;
  if (!board_.SetGain(s.GainSel)) return false;
  return board_.SetFilterWord(FilterWord(s.spsSel));
}

bool Acquisition::StartSegment() {
  const auto count = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::min(plan_.segmentLimit, kMaxStartCount), plan_.total - read_));
  ++starts_;
  // The board keeps its settings between start commands, so later ones only start.
  if (!board_.StartConversion(plan_.settings.CHSel, count)) return false;
  segmentStart_ = clock_.Now();
  if (starts_ == 1) origin_ = segmentStart_;
  segmentCount_ = count;
  segmentRead_ = 0;
  lastResult_ = segmentStart_;
  return true;
}

bool Acquisition::ChainNext() {
  const Clock::Duration previousStart = segmentStart_;
  const std::int32_t previousCount = segmentCount_;
  if (!StartSegment()) {
    fBoardReady = false;
    Finish(RunEnd::kRefused);
    return false;
  }
  // Where the next result would have been without the new start command.
  const double gap = Seconds(segmentStart_ - previousStart) - previousCount / rate_;
  gaps_.push_back(gap);
  for (Sink* sink : sinks_) sink->Gap(starts_, gap);
  return true;
}

Acquisition::Pass Acquisition::Step() {
  if (!fMeasuring) return Pass::kIdle;
  const int channelSel = plan_.settings.CHSel;
  const int n = static_cast<int>(std::min<std::int64_t>(block_, segmentCount_ - segmentRead_));
  int got = 0;
  const bool ok = channelSel == 2
                      ? board_.ReadDual(codes_[0].data(), codes_[1].data(), n, got)
                      : board_.ReadSingle(codes_[channelSel == 1 ? 1 : 0].data(), got, n);
  if (!ok) {
    Halt(RunEnd::kReadError);
    return Pass::kEnded;
  }
  const Clock::Duration now = clock_.Now();
  if (got <= 0) {
    if (now - lastResult_ <= StallWait(plan_.settings.spsSel)) return Pass::kWaiting;
    Halt(RunEnd::kStalled);
    return Pass::kEnded;
  }
  lastResult_ = now;
  Deliver(got);
  if (!fMeasuring) return Pass::kEnded;
  if (segmentRead_ < segmentCount_) return Pass::kBlock;
  if (read_ >= plan_.total) {
    Finish(RunEnd::kComplete);
    return Pass::kEnded;
  }
  return ChainNext() ? Pass::kBlock : Pass::kEnded;
}

void Acquisition::Deliver(int count) {
  const int channelSel = plan_.settings.CHSel;
  Block block;
  const auto n = static_cast<std::size_t>(count);
  if (channelSel != 1) block.codes[0] = {codes_[0].data(), n};
  if (channelSel != 0) block.codes[1] = {codes_[1].data(), n};
  block.count = count;
  block.first = read_;
  block.segmentSeconds = Seconds(segmentStart_ - origin_);
  block.segmentFirst = segmentRead_;
  block.rate = rate_;
  for (Sink* sink : sinks_) {
    if (!sink->Take(block)) {
      result_.failure = sink->Failure();
      Halt(RunEnd::kSinkFailed);
      return;
    }
  }
  read_ += count;
  segmentRead_ += count;
}

void Acquisition::Stop() {
  if (!fMeasuring) return;
  Release();
  Finish(RunEnd::kStopped);
}

void Acquisition::Release() {
  board_.StopConversion();
  board_.Disconnect();
  fBoardReady = false;
}

void Acquisition::Halt(RunEnd why) {
  // A link that cannot even send the stop (a pulled cable) is closed, so the
  // next start opens the board afresh instead of failing on a dead handle.
  if (!board_.StopConversion()) {
    board_.Disconnect();
    fBoardReady = false;
    if (why == RunEnd::kReadError || why == RunEnd::kStalled) why = RunEnd::kPulledCable;
  }
  Finish(why);
}

void Acquisition::Finish(RunEnd end) {
  fMeasuring = false;
  result_.end = end;
  result_.results = read_;
  result_.startCommands = starts_;
  const bool good = end == RunEnd::kComplete || end == RunEnd::kStopped;
  for (std::size_t i = 0; i < begun_; ++i) {
    if (!sinks_[i]->End(result_) && good && result_.end != RunEnd::kSinkFailed) {
      result_.end = RunEnd::kSinkFailed;
      result_.failure = sinks_[i]->Failure();
    }
  }
  begun_ = 0;
  sinks_.clear();
}

RunEnd Acquisition::Run(const Plan& plan, std::vector<Sink*> sinks,
                        const std::function<bool()>& stop, const std::function<void()>& progress) {
  if (const auto failed = Start(plan, std::move(sinks))) return *failed;
  return Follow(stop, progress);
}

RunEnd Acquisition::Follow(const std::function<bool()>& stop,
                           const std::function<void()>& progress) {
  while (fMeasuring) {
    if (stop && stop()) {
      Stop();
      break;
    }
    const Pass pass = Step();
    if (pass == Pass::kEnded) break;
    if (pass == Pass::kBlock && progress) progress();
    if (pass == Pass::kWaiting) host_.ProcessEvents();
  }
  return result_.end;
}

Clock::Duration Acquisition::StallWait(int spsSel) {
  const double block = ReadBlock(spsSel).value_or(1) / RateOf(spsSel);
  return std::chrono::duration_cast<Clock::Duration>(
      std::chrono::duration<double>(2.0 + 2 * block));
}

int Acquisition::PollIntervalMs(int spsSel) {
  constexpr int kMinPoll = 1;
  constexpr int kMaxPoll = 50;
  const int rate = DataRate(spsSel).value_or(kDataRates.back());
  const int block = ReadBlock(spsSel).value_or(1);
  return std::clamp(block * 1000 / (2 * rate), kMinPoll, kMaxPoll);
}

Clock::Duration Acquisition::TimeLeft() const {
  const double seconds = static_cast<double>(plan_.total - read_) / rate_;
  return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

}  // namespace velqoris
