#include "virtualboard/Virtual_board.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace velqoris {

using namespace d2xx;

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
constexpr std::int64_t kClockRate = 4800;  // output data rate = kClockRate / filter word
constexpr Clock::Duration kNever = Clock::Duration::max();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : c - 'A' + 10; }

void PutCode(std::vector<std::uint8_t>& out, std::int32_t code) {
  for (int shift = 20; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

}  // namespace

VirtualBoard::VirtualBoard(const Clock& clock, std::uint64_t seed) : clock_(clock), signal_(seed) {}

// ---- the D2XX calls ---------------------------------------------------------

FT_STATUS VirtualBoard::Check(FT_HANDLE handle) const {
  if (!plugged_) return FT_IO_ERROR;
  const auto expected = reinterpret_cast<FT_HANDLE>(generation_);
  if (!open_ || handle != expected) return FT_INVALID_HANDLE;
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_Open(int deviceNumber, FT_HANDLE* handle) {
  if (handle == nullptr) return FT_INVALID_PARAMETER;
  *handle = nullptr;
  CatchUp();
  if (!plugged_ || deviceNumber != 0) return FT_DEVICE_NOT_FOUND;
  if (open_ || faults_.openFails) return FT_DEVICE_NOT_OPENED;
  open_ = true;
  // A fresh handle per open, so one kept from before an unplug stays invalid.
  generation_ += 0x100;
  *handle = reinterpret_cast<FT_HANDLE>(generation_);
  inTransferSize_ = 4096;
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_Close(FT_HANDLE handle) {
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  open_ = false;  // the board itself keeps running
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead,
                                DWORD* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  if (bytesReturned == nullptr || (buffer == nullptr && bytesToRead > 0)) {
    return FT_INVALID_PARAMETER;
  }
  if (readError_) return FT_IO_ERROR;
  // Never waits: hands over what is there, up to the request.
  const std::size_t n = std::min<std::size_t>(bytesToRead, Visible());
  const std::size_t got = fifo_.Pop(static_cast<std::uint8_t*>(buffer), n);
  if (faults_.trickle) visible_ -= static_cast<std::uint32_t>(got);
  *bytesReturned = static_cast<DWORD>(got);
  NoteRead(got);
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite,
                                 DWORD* bytesWritten) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  if (bytesWritten == nullptr || (buffer == nullptr && bytesToWrite > 0)) {
    return FT_INVALID_PARAMETER;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  for (DWORD i = 0; i < bytesToWrite; ++i) ReceiveByte(bytes[i]);
  *bytesWritten = bytesToWrite;
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_Purge(FT_HANDLE handle, DWORD mask) {
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  if (faults_.purgeFails) return FT_IO_ERROR;
  if (mask & FT_PURGE_RX) {
    // Only what already sits in the FIFO; replies still in the controller come later.
    fifo_.Clear();
    visible_ = 0;
    readError_ = false;
  }
  if (mask & FT_PURGE_TX) {
    line_.clear();
    lineTooLong_ = false;
  }
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_GetQueueStatus(FT_HANDLE handle, DWORD* rxBytes) {
  if (rxBytes != nullptr) *rxBytes = 0;
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  if (rxBytes == nullptr) return FT_INVALID_PARAMETER;
  NoteRead(0);
  if (readError_) return FT_IO_ERROR;
  if (faults_.trickle && visible_ < fifo_.Size()) ++visible_;
  *rxBytes = Visible();
  return FT_OK;
}

FT_STATUS VirtualBoard::FT_SetUSBParameters(FT_HANDLE handle, DWORD inTransferSize,
                                            DWORD /*outTransferSize*/) {
  CatchUp();
  if (const FT_STATUS s = Check(handle); s != FT_OK) return s;
  if (inTransferSize < 64 || inTransferSize > 65536 || inTransferSize % 64 != 0) {
    return FT_INVALID_PARAMETER;
  }
  inTransferSize_ = inTransferSize;
  return FT_OK;
}

void VirtualBoard::Unplug() {
  plugged_ = false;
  open_ = false;
  PowerOff();
}

void VirtualBoard::PowerOff() {
  settings_ = ConverterSettings{};
  fifo_.Clear();
  replies_.clear();
  line_.clear();
  lineTooLong_ = false;
  run_ = Run{};
  visible_ = 0;
  readError_ = false;
}

std::uint32_t VirtualBoard::Visible() const {
  const auto size = static_cast<std::uint32_t>(fifo_.Size());
  return faults_.trickle ? std::min(visible_, size) : size;
}

// Counts what the host took of a run, for the read-error fault.
void VirtualBoard::NoteRead(std::size_t bytes) {
  if (run_.total == 0) return;
  run_.bytesRead += bytes;
  if (faults_.readErrorAfter && !run_.readErrorFired &&
      run_.bytesRead >= std::uint64_t{*faults_.readErrorAfter} * run_.FrameSize()) {
    run_.readErrorFired = true;
    readError_ = true;
  }
}

// ---- time -------------------------------------------------------------------

void VirtualBoard::CatchUp() {
  if (!plugged_) return;
  const Clock::Duration now = clock_.Now();
  for (;;) {
    const Clock::Duration replyDue = replies_.empty() ? kNever : replies_.front().due;
    const bool streaming =
        run_.active && run_.sent < std::min(run_.total, faults_.stallAfter.value_or(run_.total));
    const Clock::Duration frameDue = streaming ? FrameTime(run_.sinceOrigin) : kNever;
    if (replyDue <= now && replyDue <= frameDue) {
      const std::string& bytes = replies_.front().bytes;
      // A reply that finds the FIFO full is lost, as the controller cannot wait.
      fifo_.Push(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      replies_.pop_front();
    } else if (frameDue <= now) {
      if (!EmitFrames(replyDue <= now ? replyDue - Clock::Duration(1) : now)) break;
    } else {
      break;
    }
  }
}

Clock::Duration VirtualBoard::FrameTime(std::uint64_t sinceOrigin) const {
  const std::int64_t period = std::int64_t{run_.settings.filterWord} * kNanosPerSecond;
  const auto k = static_cast<std::int64_t>(sinceOrigin) + 1;
  return run_.origin + Clock::Duration((k * period + kClockRate - 1) / kClockRate);
}

// The frame is due on the clock's whole nanosecond (FrameTime), but the input
// is sampled at the exact instant: rounding it would phase-modulate a test
// tone and put spurs beside it.
double VirtualBoard::SampleSeconds(std::uint64_t sinceOrigin) const {
  const auto k = static_cast<double>(sinceOrigin + 1);
  return static_cast<double>(run_.origin.count()) / kNanosPerSecond +
         k * run_.settings.filterWord / static_cast<double>(kClockRate);
}

std::uint64_t VirtualBoard::FramesDueBy(Clock::Duration limit) const {
  if (limit < run_.origin) return 0;
  // floor(elapsed × 4800 / (word × 1e9)), split so that it cannot overflow.
  const std::int64_t elapsed = (limit - run_.origin).count();
  const std::int64_t denominator = std::int64_t{run_.settings.filterWord} * kNanosPerSecond;
  const std::int64_t whole = elapsed / denominator;
  const std::int64_t rest = elapsed % denominator;
  return static_cast<std::uint64_t>(whole * kClockRate + rest * kClockRate / denominator);
}

bool VirtualBoard::EmitFrames(Clock::Duration limit) {
  const std::uint32_t cap = std::min(run_.total, faults_.stallAfter.value_or(run_.total));
  const std::uint64_t dueBy = FramesDueBy(limit);
  if (dueBy <= run_.sinceOrigin || run_.sent >= cap) return false;
  const std::uint64_t due = std::min<std::uint64_t>(dueBy - run_.sinceOrigin, cap - run_.sent);
  const std::size_t frameSize = run_.FrameSize();
  const std::uint64_t fits = std::min<std::uint64_t>(due, fifo_.Room() / frameSize);
  scratch_.clear();
  scratch_.reserve(static_cast<std::size_t>(fits) * frameSize);
  for (std::uint64_t i = 0; i < fits; ++i) {
    AppendFrame(scratch_, SampleSeconds(run_.sinceOrigin));
    ++run_.sinceOrigin;
    ++run_.sent;
  }
  fifo_.Push(scratch_.data(), scratch_.size());
  if (fits < due) {
    // No room: these conversions are lost and the stream picks up from here.
    skipped_ += due - fits;
    run_.origin = limit;
    run_.sinceOrigin = 0;
  }
  if (run_.sent >= run_.total) run_.active = false;
  return true;
}

void VirtualBoard::AppendFrame(std::vector<std::uint8_t>& out, double seconds) {
  const int gain = run_.settings.Gain();
  const std::size_t start = out.size();
  if (run_.mode == 0 || run_.mode == 2) {
    PutCode(out, signal_.Sample(0, seconds, gain, run_.noiseRms));
  }
  if (run_.mode == 1 || run_.mode == 2) {
    PutCode(out, signal_.Sample(1, seconds, gain, run_.noiseRms));
  }
  out.push_back(faults_.lfFrame == run_.sent ? kLf : kCr);
  if (faults_.nonHexFrame == run_.sent) out[start + 2] = 'G';
}

// ---- the controller's command interpreter -----------------------------------

void VirtualBoard::ReceiveByte(std::uint8_t byte) {
  if (byte != kCr) {
    if (line_.size() < kMaxCommandLength) {
      line_.push_back(static_cast<char>(byte));
    } else {
      lineTooLong_ = true;
    }
    return;
  }
  std::string line;
  line.swap(line_);
  if (lineTooLong_) {
    lineTooLong_ = false;
    line += "...";  // logged as cut off; never a valid command
  }
  Execute(line);
}

void VirtualBoard::Execute(const std::string& line) {
  commands_.push_back(line);
  if (commands_.size() > kCommandLogLength) commands_.pop_front();

  if (faults_.silentCommands.count(line) != 0) return;
  // While converting, the controller only listens for the stop command.
  if (run_.active) {
    if (line == "AX") run_.active = false;
    return;
  }
  if (faults_.refusedCommands.count(line) != 0) return Answer("NG");

  if (line == "?") return AnswerOk();
  if (line == "U?") return Answer(name_);
  if (line == "V?") return Answer(faults_.versionFails ? "NG" : version_);
  if (line == "AX") return;  // nothing to stop
  if (ApplySetting(line)) return AnswerOk();
  if (StartRun(line)) return;
  Answer("NG");
}

bool VirtualBoard::ApplySetting(const std::string& line) {
  if (line == "S3" || line == "S4") {
    settings_.sinc4 = line[1] == '4';
  } else if (line == "SB0" || line == "SB1") {
    settings_.buffer = line[2] == '1';
  } else if (line == "SC0" || line == "SC1") {
    settings_.chop = line[2] == '1';
  } else if (line.size() == 3 && line.starts_with("SG") && line[2] >= '0' && line[2] <= '5') {
    settings_.gainIndex = line[2] - '0';
  } else if (line.size() == 6 && line.starts_with("SF") &&
             std::all_of(line.begin() + 2, line.end(), IsDigit)) {
    const int word = std::stoi(line.substr(2));
    if (word < 1 || word > 1023) return false;
    settings_.filterWord = word;
  } else {
    return false;
  }
  return true;
}

bool VirtualBoard::StartRun(const std::string& line) {
  if (line.size() != 7 || line[0] != 'A' || line[1] < '0' || line[1] > '2') return false;
  if (!std::all_of(line.begin() + 2, line.end(), IsUpperHex)) return false;
  std::uint32_t count = 0;
  for (std::size_t i = 2; i < 7; ++i)
    count = count * 16 + static_cast<std::uint32_t>(HexValue(line[i]));
  if (count == 0) return false;
  run_ = Run{};
  run_.active = true;
  run_.mode = line[1] - '0';
  run_.total = count;
  run_.settings = settings_;
  run_.noiseRms = signal_.NoiseRmsVolts(settings_);
  signal_.SetFilter(settings_.sinc4 ? 4 : 3, settings_.Rate());
  // The first conversion completes one period after the controller has set up.
  run_.origin = clock_.Now() + latency_;
  return true;
}

void VirtualBoard::Answer(std::string text, const std::string& trailer) {
  if (!faults_.replyWithoutCr) text.push_back(static_cast<char>(kCr));
  text += trailer;
  if (replies_.size() >= kMaxPendingReplies) return;  // the controller's own queue is full
  Clock::Duration due = clock_.Now() + latency_;
  if (!replies_.empty()) due = std::max(due, replies_.back().due);
  replies_.push_back(Reply{due, std::move(text)});
}

void VirtualBoard::AnswerOk() { Answer("OK", faults_.strayAfterAck); }

}  // namespace velqoris
