#include "session/Measurement.h"

#include <algorithm>
#include <utility>

#include "board/Ad7190.h"

namespace velqoris {

Measurement::Measurement(TADC& board, RunData& data, CodeConverter convert)
    : board_(board), data_(data), convert_(std::move(convert)) {}

Measurement::ConnectResult Measurement::ConnectBoard() {
  if (!board_.Connect()) {
    board_.Disconnect();
    return ConnectResult::kNotFound;
  }
  char name[16] = {};
  if (!board_.CheckBoard() || !board_.GetBoardName(name)) {
    board_.Disconnect();
    return ConnectResult::kNoResponse;
  }
  if (std::string(name) != kBoardName) {
    board_.Disconnect();
    return ConnectResult::kOtherName;
  }
  BoardName = name;
  char version[16] = {};
  if (!board_.GetVersion(version)) {
    board_.Disconnect();
    return ConnectResult::kNoResponse;
  }
  BoardVersion = version;
  return ConnectResult::kOk;
}

bool Measurement::SetupBoard(const MeasureSettings& next) {
  const auto count = DataCount(next.DataCountSel);
  if (!count) return false;
  return SetupBoard(next, *count);
}

bool Measurement::SetupBoard(const MeasureSettings& s, std::int32_t count) {
  // A selection outside its list indexes no table and goes to no board.
  if (!DataRate(s.spsSel) || !ValidChannel(s.CHSel) || !GainOf(s.GainSel)) return false;
  if (count < 1 || count > kMaxStartCount) return false;
  if (!(s.fSinc4 == 1 ? board_.SetSinc4() : board_.SetSinc3())) return false;
  if (!(s.fBUF_ON == 1 ? board_.SetBufferOn() : board_.SetBufferOff())) return false;
  if (!(s.fCHOP_ON == 1 ? board_.SetChopOn() : board_.SetChopOff())) return false;
  if (!board_.SetGain(s.GainSel)) return false;
  if (!board_.SetFilterWord(FilterWord(s.spsSel))) return false;
  TargetCount = count;
  return board_.StartConversion(s.CHSel, TargetCount);
}

void Measurement::BeginRun(const MeasureSettings& next) {
  data_.Settings = next;
  data_.Settings.Gain = TADC::GainFactor(next.GainSel);
  data_.DropData();
  data_.ResetBuffers();
  ReadCount = 0;
  fMeasuring = true;
  DrawPos = 0;
}

Measurement::StepResult Measurement::MeasureStep() {
  if (!fMeasuring) return StepResult::kIdle;
  return data_.Settings.CHSel == 2 ? MeasureStep2CH() : MeasureStep1CH();
}

Measurement::StepResult Measurement::MeasureStep1CH() {
  const int n = ReadBlock(data_.Settings.spsSel).value_or(1);
  if (ReadCount >= TargetCount) return StepResult::kWaiting;
  if (ReadCount + n > kSampleCapacity) return EndWithError();
  int got = 0;
  const int channel = data_.Settings.CHSel == 1 ? 1 : 0;
  if (!board_.ReadSingle(data_.Codes(channel) + ReadCount, got, n)) return EndWithError();
  return Delivered(got);
}

Measurement::StepResult Measurement::MeasureStep2CH() {
  const int n = ReadBlock(data_.Settings.spsSel).value_or(1);
  if (ReadCount >= TargetCount) return StepResult::kWaiting;
  if (ReadCount + n > kSampleCapacity) return EndWithError();
  int got = 0;
  if (!board_.ReadDual(data_.Codes(0) + ReadCount, data_.Codes(1) + ReadCount, n, got)) {
    return EndWithError();
  }
  return Delivered(got);
}

Measurement::StepResult Measurement::Delivered(int count) {
  if (count <= 0) return StepResult::kWaiting;
  ReadCount += count;
  if (ReadCount < TargetCount) return StepResult::kProgress;
  fMeasuring = false;
  KeepResults(TargetCount);
  return StepResult::kComplete;
}

void Measurement::KeepResults(std::int32_t count) {
  const int ch = data_.Settings.CHSel;
  data_.fCH0Data = ch == 0 || ch == 2;
  data_.fCH1Data = ch == 1 || ch == 2;
  data_.Ch0.Count = data_.fCH0Data ? count : 0;
  data_.Ch1.Count = data_.fCH1Data ? count : 0;
}

Measurement::StepResult Measurement::EndWithError() {
  // A link that cannot even send the stop (a pulled cable) is closed, so the
  // next start opens the board afresh instead of failing on a dead handle.
  if (!board_.StopConversion()) {
    board_.Disconnect();
    fBoardReady = false;
  }
  fMeasuring = false;
  data_.DropData();
  return StepResult::kError;
}

bool Measurement::NextLiveBlock(int& first, int& last) {
  if (!LiveDrawing(data_.Settings)) return false;
  if (DrawPos + kLiveBlock > ReadCount) return false;
  first = DrawPos;
  last = DrawPos + kLiveBlock - 1;
  data_.ConvertRange(first, last, convert_);
  DrawPos += kLiveBlock;
  return true;
}

bool Measurement::StopRun() {
  ReleaseBoard();
  fMeasuring = false;
  if (ReadCount < kMinKept) {
    data_.DropData();
    return false;
  }
  KeepResults(ReadCount);
  return true;
}

void Measurement::ReleaseBoard() {
  board_.StopConversion();
  board_.Disconnect();
  fBoardReady = false;
}

void Measurement::ConvertAll() { data_.ConvertAll(convert_); }

void Measurement::CalcStats() {
  data_.CalcCodeStats();
  data_.CalcVoltStats();
}

int Measurement::PollIntervalMs() const {
  constexpr int kMinPoll = 1;
  constexpr int kMaxPoll = 50;
  const int rate = DataRate(data_.Settings.spsSel).value_or(kDataRates.back());
  const int block = ReadBlock(data_.Settings.spsSel).value_or(1);
  return std::clamp(block * 1000 / (2 * rate), kMinPoll, kMaxPoll);
}

std::int32_t Measurement::LatestCode(int channel) const {
  if (ReadCount <= 0 || ReadCount > kSampleCapacity) return 0;
  return data_.Codes(channel)[ReadCount - 1];
}

}  // namespace velqoris
