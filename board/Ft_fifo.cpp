#include "board/Ft_fifo.h"

#include <algorithm>
#include <cstring>

namespace velqoris {

using namespace d2xx;

namespace {
constexpr std::uint8_t kCR = 0x0D;
constexpr DWORD kPurgeBoth = FT_PURGE_RX | FT_PURGE_TX;
}  // namespace

Tft_FIFO::Tft_FIFO(Api& device, EventHost& host) : device_(device), host_(host) {}

Tft_FIFO::~Tft_FIFO() {
  if (open_) Close();
  host_.DisarmTimer();
}

bool Tft_FIFO::OpenDevice(std::uint32_t transferSize) {
  if (open_) return true;
  FT_HANDLE handle = nullptr;
  lastStatus_ = device_.FT_Open(0, &handle);
  if (lastStatus_ != FT_OK) {
    handle_ = nullptr;
    return false;
  }
  handle_ = handle;
  open_ = true;
  lastStatus_ = device_.FT_SetUSBParameters(handle_, transferSize, 0);
  if (lastStatus_ != FT_OK) {
    CloseHandle();
    return false;
  }
  return Purge();
}

bool Tft_FIFO::Open() { return OpenDevice(4096); }

bool Tft_FIFO::Purge() {
  carry_ = 0;
  if (!open_) return false;
  lastStatus_ = device_.FT_Purge(handle_, kPurgeBoth);
  if (lastStatus_ == FT_OK) return true;
  // A link that cannot be purged is never left half-open.
  CloseHandle();
  return false;
}

void Tft_FIFO::Close() {
  if (!open_) return;
  if (Purge()) {
    lastStatus_ = device_.FT_Close(handle_);
    handle_ = nullptr;
    open_ = false;
  }
}

// Closes after a failure; the failing status stays the last status so the
// caller can still see why.
void Tft_FIFO::CloseHandle() {
  device_.FT_Close(handle_);
  handle_ = nullptr;
  open_ = false;
}

bool Tft_FIFO::Fail(FT_STATUS status) {
  lastStatus_ = status;
  return false;
}

void Tft_FIFO::SetTimeOut(int ms) {
  host_.DisarmTimer();
  timedOut_ = false;
  interval_ = ms;
}

void Tft_FIFO::StartTimer() {
  timedOut_ = false;
  host_.ArmTimer(interval_, [this] { TimerExpired(); });
}

void Tft_FIFO::StopTimer() {
  host_.DisarmTimer();
  timedOut_ = false;
}

void Tft_FIFO::TimerExpired() {
  host_.DisarmTimer();
  timedOut_ = true;
}

bool Tft_FIFO::WriteCommand(const char* text) {
  if (!open_ || text == nullptr) return false;
  const std::size_t length = std::strlen(text);
  if (length > kMaxCommand) return false;
  char line[kMaxCommand + 1];
  std::memcpy(line, text, length);
  line[length] = static_cast<char>(kCR);
  const auto size = static_cast<DWORD>(length + 1);
  DWORD written = 0;
  lastStatus_ = device_.FT_Write(handle_, line, size, &written);
  if (lastStatus_ != FT_OK) return false;
  // A line that went out only in part is a failed write.
  if (written != size) return Fail(FT_IO_ERROR);
  return true;
}

bool Tft_FIFO::QueryQueue() {
  DWORD queued = 0;
  lastStatus_ = device_.FT_GetQueueStatus(handle_, &queued);
  queued_ = lastStatus_ == FT_OK ? queued : 0;
  return lastStatus_ == FT_OK;
}

bool Tft_FIFO::ReadAvailable(std::uint8_t* buffer, std::uint32_t capacity, std::uint32_t& got) {
  got = 0;
  if (!open_) return false;
  if (!QueryQueue()) return false;
  const DWORD ask = std::min<DWORD>(queued_, capacity);
  if (ask == 0) return true;
  DWORD read = 0;
  lastStatus_ = device_.FT_Read(handle_, buffer, ask, &read);
  if (lastStatus_ != FT_OK) return false;
  got = std::min<DWORD>(read, ask);
  return true;
}

std::uint32_t Tft_FIFO::DeliverFromStore(std::uint8_t* buffer, std::uint32_t count) {
  std::memcpy(buffer, receive_, count);
  std::memmove(receive_, receive_ + count, carry_ - count);
  carry_ -= count;
  return count;
}

bool Tft_FIFO::ReadExact(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) {
  got = 0;
  if (!open_) return false;
  if (count == 0) return true;
  // Bytes that came in early wait in the store, so a block can be no larger.
  if (count > kReceiveSize) return Fail(FT_INVALID_PARAMETER);
  if (carry_ >= count) {
    got = DeliverFromStore(buffer, count);
    return true;
  }
  if (!QueryQueue()) return false;
  if (carry_ + queued_ < count) return true;
  DWORD read = 0;
  if (carry_ == 0) {
    // The whole block is queued: one read straight into the caller's buffer.
    lastStatus_ = device_.FT_Read(handle_, buffer, count, &read);
    if (lastStatus_ != FT_OK) return false;
    read = std::min<DWORD>(read, count);
    if (read == count) {
      got = count;
      return true;
    }
    // Short read: keep what came so later blocks stay aligned.
    std::memcpy(receive_, buffer, read);
    carry_ = read;
    return true;
  }
  const DWORD ask = std::min<DWORD>(queued_, kReceiveSize - carry_);
  lastStatus_ = device_.FT_Read(handle_, receive_ + carry_, ask, &read);
  if (lastStatus_ != FT_OK) return false;
  carry_ += std::min<DWORD>(read, ask);
  if (carry_ >= count) got = DeliverFromStore(buffer, count);
  return true;
}

bool Tft_FIFO::CommandOK(const char* text) {
  if (!open_ || !WriteCommand(text)) return false;
  std::uint8_t ack[kAckSize] = {};
  std::uint32_t gathered = 0;
  StartTimer();
  // "OK" and CR may come in separate USB packets: wait for all three bytes.
  while (!timedOut_ && gathered < 3) {
    std::uint32_t got = 0;
    const bool ok = ReadAvailable(ack + gathered, kAckSize - gathered, got);
    host_.ProcessEvents();
    if (ok) gathered += got;
  }
  StopTimer();
  return gathered >= 3 && ack[0] == 'O' && ack[1] == 'K' && ack[2] == kCR;
}

bool Tft_FIFO::CommandReply(const char* text, char* reply, std::size_t replyCapacity) {
  if (!open_ || reply == nullptr || replyCapacity < 2) return false;
  if (!WriteCommand(text)) return false;
  // One byte of the area is kept for the terminating NUL.
  const std::size_t room = replyCapacity - 1;
  std::size_t n = 0;
  bool complete = false;
  StartTimer();
  while (!timedOut_ && !complete) {
    host_.ProcessEvents();
    // Scratch reads use the free part of the store, so a carry-over survives.
    std::uint8_t* scratch = receive_ + carry_;
    const auto ask =
        static_cast<std::uint32_t>(std::min<std::size_t>(room - n, kReceiveSize - carry_));
    std::uint32_t got = 0;
    if (!ReadAvailable(scratch, ask, got)) break;
    if (got == 0) continue;
    std::memcpy(reply + n, scratch, got);
    n += got;
    complete = reply[n - 1] == static_cast<char>(kCR) || n >= kMaxReplyLine || n >= room;
  }
  StopTimer();
  reply[n] = '\0';
  if (n == 0 || reply[n - 1] != static_cast<char>(kCR)) return false;
  reply[n - 1] = '\0';
  return true;
}

char HexDigit(int value) {
  if (value >= 0 && value <= 9) return static_cast<char>('0' + value);
  if (value >= 10 && value <= 15) return static_cast<char>('A' + value - 10);
  return 'X';
}

}  // namespace velqoris
