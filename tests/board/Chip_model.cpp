#include "tests/board/Chip_model.h"

#include <libusb.h>

#include <algorithm>

namespace velqoris::testing {

namespace {
using std::chrono::microseconds;
using std::chrono::milliseconds;

std::mutex busMutex;
std::vector<ChipModel*> bus;

constexpr int kStatusBytes = 2;
constexpr std::uint8_t kModemStatus = 0x31;  // CTS, DSR, as the chip reports them
constexpr std::uint8_t kLineStatus = 0x60;   // transmitter empty
// How often the chip looks at its FIFO while it holds less than a packet.
constexpr ChipModel::Duration kFillStep = microseconds(500);
constexpr ChipModel::Duration kWriteTime = microseconds(100);
constexpr std::uint8_t kResetRequest = 0x00;
constexpr std::uint8_t kSetLatencyRequest = 0x09;
constexpr std::uint8_t kGetLatencyRequest = 0x0A;
constexpr std::uint16_t kResetSio = 0, kFlushToChip = 1, kFlushToHost = 2;

bool HighSpeed(std::uint16_t product) { return product != 0x6001 && product != 0x6015; }
}  // namespace

ChipModel::ChipModel(std::uint16_t productId, FifoSide* side)
    : side_(side),
      product_(productId),
      packetSize_(HighSpeed(productId) ? 512 : 64),
      // The chips' buffers towards the host: 256 bytes (R), 512 (X), 4 KiB (H).
      bufferSize_(HighSpeed(productId)  ? 4096
                  : productId == 0x6015 ? 512
                                        : 256),
      // About 1 MB/s on full speed, 8 MB/s on high speed.
      packetTime_(microseconds(62)) {
  std::lock_guard lock(busMutex);
  bus.push_back(this);
}

ChipModel::~ChipModel() {
  std::lock_guard lock(busMutex);
  bus.erase(std::remove(bus.begin(), bus.end(), this), bus.end());
}

ChipModel* ChipModel::OnBus() {
  std::lock_guard lock(busMutex);
  return bus.empty() ? nullptr : bus.front();
}

std::vector<ChipModel*> ChipModel::AllOnBus() {
  std::lock_guard lock(busMutex);
  return bus;
}

std::uint16_t ChipModel::BcdDevice() const {
  switch (product_) {
    case 0x6001:
      return 0x0600;
    case 0x6010:
      return 0x0700;
    case 0x6011:
      return 0x0800;
    case 0x6014:
      return 0x0900;
    default:
      return 0x1000;
  }
}

void ChipModel::SetSide(FifoSide* side) {
  std::lock_guard lock(mutex_);
  side_ = side;
}

void ChipModel::Unplug() {
  std::lock_guard lock(mutex_);
  PowerOff();
}

void ChipModel::PowerOff() {
  plugged_ = false;
  claimed_ = false;
  buffer_.clear();
  if (side_ != nullptr) side_->PowerLost();
}

void ChipModel::Plug() {
  std::lock_guard lock(mutex_);
  plugged_ = true;
}

bool ChipModel::Plugged() const {
  std::lock_guard lock(mutex_);
  return plugged_;
}

void ChipModel::SetKernelDriver(bool attached) {
  std::lock_guard lock(mutex_);
  kernelDriver_ = attached;
}

void ChipModel::FailIn(int libusbError, std::uint64_t after) {
  std::lock_guard lock(mutex_);
  failCode_ = libusbError;
  failAfter_ = after;
}

void ChipModel::HoldReads(bool hold) {
  std::lock_guard lock(mutex_);
  hold_ = hold;
  released_.notify_all();
}

bool ChipModel::ReadHeld() const {
  std::lock_guard lock(mutex_);
  return held_ > 0;
}

void ChipModel::Advance(Duration d) {
  std::lock_guard lock(mutex_);
  clock_.AdvanceTo(clock_.Now() + d);
}

void ChipModel::Locked(const std::function<void()>& fn) {
  std::lock_guard lock(mutex_);
  fn();
}

int ChipModel::LatencyMs() const {
  std::lock_guard lock(mutex_);
  return latencyMs_;
}
bool ChipModel::Claimed() const {
  std::lock_guard lock(mutex_);
  return claimed_;
}
bool ChipModel::KernelDriverAttached() const {
  std::lock_guard lock(mutex_);
  return kernelDriver_;
}
int ChipModel::ReceivePurges() const {
  std::lock_guard lock(mutex_);
  return receivePurges_;
}
std::vector<ChipModel::InTransfer> ChipModel::InTransfers() const {
  std::lock_guard lock(mutex_);
  return in_;
}
std::vector<ChipModel::OutTransfer> ChipModel::OutTransfers() const {
  std::lock_guard lock(mutex_);
  return out_;
}

void ChipModel::Fill() {
  if (side_ == nullptr || buffer_.size() >= bufferSize_) return;
  scratch_.resize(bufferSize_);
  const std::size_t n = side_->ToHost(scratch_.data(), bufferSize_ - buffer_.size());
  buffer_.insert(buffer_.end(), scratch_.begin(), scratch_.begin() + static_cast<long>(n));
}

void ChipModel::Emit(std::uint8_t* out, int& got, std::size_t payload) {
  out[got] = kModemStatus;
  out[got + 1] = kLineStatus;
  std::copy_n(buffer_.begin(), payload, out + got + kStatusBytes);
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(payload));
  got += kStatusBytes + static_cast<int>(payload);
  failAfter_ -= std::min<std::uint64_t>(failAfter_, payload);
  lastPacket_ = clock_.Now();
}

int ChipModel::BulkIn(std::uint8_t* data, int length, int* actual, unsigned timeoutMs) {
  std::unique_lock lock(mutex_);
  ++held_;
  released_.wait(lock, [&] { return !hold_; });
  --held_;
  *actual = 0;
  InTransfer record{clock_.Now(), clock_.Now(), length, 0, 0};
  auto done = [&](int result, int got) {
    *actual = got;
    record.end = clock_.Now();
    record.actual = got;
    record.result = result;
    in_.push_back(record);
    return result;
  };
  if (!plugged_) return done(LIBUSB_ERROR_NO_DEVICE, 0);
  if (!claimed_) return done(LIBUSB_ERROR_IO, 0);
  const Duration deadline =
      timeoutMs == 0 ? Duration::max() : clock_.Now() + milliseconds(timeoutMs);
  const Duration latency = milliseconds(latencyMs_);
  const std::size_t full = static_cast<std::size_t>(packetSize_ - kStatusBytes);
  int got = 0;
  for (;;) {
    if (failCode_ != 0 && failAfter_ == 0) {
      const int code = failCode_;
      failCode_ = 0;
      if (code == LIBUSB_ERROR_NO_DEVICE) {
        PowerOff();
      } else {
        // A damaged transfer: what the chip held for it is lost.
        buffer_.clear();
        clock_.AdvanceTo(clock_.Now() + milliseconds(1));
      }
      return done(code, got);
    }
    Fill();
    if (buffer_.size() >= full) {
      // A whole packet the host's buffer has no room for: babble.
      if (got + packetSize_ > length) return done(LIBUSB_ERROR_OVERFLOW, got);
      Emit(data, got, full);
      clock_.AdvanceTo(clock_.Now() + packetTime_);
      if (got == length) return done(LIBUSB_SUCCESS, got);
      continue;
    }
    if (clock_.Now() >= lastPacket_ + latency) {
      // The latency timer ran out: a short packet, maybe only the status.
      Emit(data, got, buffer_.size());
      return done(LIBUSB_SUCCESS, got);
    }
    const Duration next = std::min(lastPacket_ + latency, clock_.Now() + kFillStep);
    if (next >= deadline) {
      clock_.AdvanceTo(deadline);
      return done(LIBUSB_ERROR_TIMEOUT, got);
    }
    clock_.AdvanceTo(next);
  }
}

int ChipModel::BulkOut(const std::uint8_t* data, int length, int* actual) {
  std::lock_guard lock(mutex_);
  *actual = 0;
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  if (!claimed_) return LIBUSB_ERROR_IO;
  out_.push_back({clock_.Now(), std::string(reinterpret_cast<const char*>(data),
                                            static_cast<std::size_t>(length))});
  if (side_ != nullptr) side_->FromHost(data, static_cast<std::size_t>(length));
  clock_.AdvanceTo(clock_.Now() + kWriteTime);
  *actual = length;
  return LIBUSB_SUCCESS;
}

int ChipModel::Control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                       std::uint8_t* data, std::uint16_t length) {
  std::lock_guard lock(mutex_);
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  if ((requestType & LIBUSB_REQUEST_TYPE_VENDOR) == 0) return LIBUSB_ERROR_PIPE;
  switch (request) {
    case kResetRequest:
      if (value == kResetSio || value == kFlushToHost) {
        buffer_.clear();
        ++receivePurges_;
        if (side_ != nullptr) side_->Purged();
      } else if (value != kFlushToChip) {
        return LIBUSB_ERROR_PIPE;
      }
      return 0;
    case kSetLatencyRequest:
      if ((value & 0xFF) == 0) return LIBUSB_ERROR_PIPE;
      latencyMs_ = value & 0xFF;
      return 0;
    case kGetLatencyRequest:
      if (length < 1 || data == nullptr) return LIBUSB_ERROR_PIPE;
      data[0] = static_cast<std::uint8_t>(latencyMs_);
      return 1;
    case 0x01:  // modem control
    case 0x02:  // flow control
    case 0x03:  // baud rate
    case 0x04:  // data characteristics
    case 0x0B:  // bit mode
      return 0;
    default:
      return LIBUSB_ERROR_PIPE;
  }
}

int ChipModel::Open() {
  std::lock_guard lock(mutex_);
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  ++openHandles_;
  return 0;
}

void ChipModel::Close() {
  std::lock_guard lock(mutex_);
  if (openHandles_ > 0 && --openHandles_ == 0) claimed_ = false;
}

int ChipModel::DetachKernelDriver() {
  std::lock_guard lock(mutex_);
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  if (!kernelDriver_) return LIBUSB_ERROR_NOT_FOUND;
  kernelDriver_ = false;
  return 0;
}

int ChipModel::Claim() {
  std::lock_guard lock(mutex_);
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  if (kernelDriver_ || claimed_) return LIBUSB_ERROR_BUSY;
  claimed_ = true;
  return 0;
}

int ChipModel::Release() {
  std::lock_guard lock(mutex_);
  if (!plugged_) return LIBUSB_ERROR_NO_DEVICE;
  if (!claimed_) return LIBUSB_ERROR_NOT_FOUND;
  claimed_ = false;
  return 0;
}

}  // namespace velqoris::testing
