#include "board/Ad7190.h"

#include <cstring>

#include "records/Measure_settings.h"

namespace velqoris {

namespace {
constexpr std::uint8_t kCR = 0x0D;
constexpr int kCommandWait = 100;  // ms
constexpr int kStartWait = 1000;   // ms

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}
}  // namespace

TADC::TADC(d2xx::Api& device, EventHost& host) : Tft_FIFO(device, host) {}

bool TADC::Connect() { return Open() && Purge(); }

void TADC::Disconnect() {
  if (!IsOpen()) return;
  Purge();
  Close();
}

// Every command but the stop starts from an empty receive queue.
bool TADC::Prepare() { return IsOpen() && Purge(); }

bool TADC::Setting(const char* text) {
  if (!Prepare()) return false;
  std::strncpy(command_, text, sizeof command_ - 1);
  command_[sizeof command_ - 1] = '\0';
  SetTimeOut(kCommandWait);
  return CommandOK(command_);
}

bool TADC::CheckBoard() { return Setting("?"); }
bool TADC::SetSinc3() { return Setting("S3"); }
bool TADC::SetSinc4() { return Setting("S4"); }
bool TADC::SetBufferOff() { return Setting("SB0"); }
bool TADC::SetBufferOn() { return Setting("SB1"); }
bool TADC::SetChopOff() { return Setting("SC0"); }
bool TADC::SetChopOn() { return Setting("SC1"); }

bool TADC::SetGain(int index) {
  if (index < 0 || index > 5) return false;
  const char text[] = {'S', 'G', static_cast<char>('0' + index), '\0'};
  return Setting(text);
}

bool TADC::SetFilterWord(int word) {
  char text[7] = {'S', 'F'};
  FormatDecimal4(static_cast<unsigned>(word), text + 2);
  text[6] = '\0';
  return Setting(text);
}

bool TADC::Query(const char* text, char* dest) {
  if (dest == nullptr || !Prepare()) return false;
  std::strncpy(command_, text, sizeof command_ - 1);
  command_[sizeof command_ - 1] = '\0';
  SetTimeOut(kCommandWait);
  // A fresh area, so a one-byte reply is never judged by an earlier one's tail.
  std::memset(reply_, 0, sizeof reply_);
  if (!CommandReply(command_, reply_, sizeof reply_)) return false;
  if (reply_[0] == 'N' || reply_[1] == 'G') return false;
  std::size_t i = 0;
  for (; i < kNameLength && reply_[i] != '\0'; ++i) dest[i] = reply_[i];
  dest[i] = '\0';
  return true;
}

bool TADC::GetBoardName(char* dest) { return Query("U?", dest); }
bool TADC::GetVersion(char* dest) { return Query("V?", dest); }

bool TADC::StartConversion(int mode, int count) {
  if (mode < 0 || mode > 2) return false;
  if (!Prepare()) return false;
  command_[0] = 'A';
  command_[1] = static_cast<char>('0' + mode);
  FormatHex5(static_cast<std::uint32_t>(count), command_ + 2);
  command_[7] = '\0';
  SetTimeOut(kStartWait);
  return WriteCommand(command_);
}

bool TADC::StopConversion() {
  if (!IsOpen()) return false;
  std::strcpy(command_, "AX");
  SetTimeOut(kCommandWait);
  return WriteCommand(command_);
}

bool TADC::ReadSingle(std::int32_t* dest, int& count, int n) {
  count = 0;
  if (!IsOpen()) return false;
  if (dest == nullptr || n < 1 || n > kMaxSingleFrames) return false;
  const auto want = static_cast<std::uint32_t>(kSingleFrame * n);
  std::uint32_t got = 0;
  if (!ReadExact(frames_, want, got)) return false;
  if (got == 0) return true;
  if (got != want) return false;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* frame = frames_ + i * kSingleFrame;
    if (frame[6] != kCR) return false;
    dest[i] = HexToCode(reinterpret_cast<const char*>(frame));
    ++count;
  }
  return true;
}

bool TADC::ReadDual(std::int32_t* ch0, std::int32_t* ch1, int n, int& count) {
  count = 0;
  if (!IsOpen()) return false;
  if (ch0 == nullptr || ch1 == nullptr || n < 1 || n > kMaxDualFrames) return false;
  const auto want = static_cast<std::uint32_t>(kDualFrame * n);
  std::uint32_t got = 0;
  if (!ReadExact(frames_, want, got)) return false;
  if (got == 0) return true;
  if (got != want) return false;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* frame = frames_ + i * kDualFrame;
    if (frame[12] != kCR) return false;
    ch0[i] = HexToCode(reinterpret_cast<const char*>(frame));
    ch1[i] = HexToCode(reinterpret_cast<const char*>(frame + 6));
    ++count;
  }
  return true;
}

int TADC::GainFactor(int index) { return DerivedGain(index); }

void FormatDecimal4(unsigned value, char* dest) {
  if (value > 9999) value = 0;
  for (int i = 3; i >= 0; --i) {
    dest[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

void FormatHex5(std::uint32_t value, char* dest) {
  if (value > 0xFFFFF) value = 0;
  for (int i = 4; i >= 0; --i) {
    dest[i] = HexDigit(static_cast<int>(value & 0xF));
    value >>= 4;
  }
}

std::int32_t HexToCode(const char* six) {
  std::int32_t code = 0;
  for (int i = 0; i < 6; ++i) code = (code << 4) | HexValue(six[i]);
  return code;
}

}  // namespace velqoris
