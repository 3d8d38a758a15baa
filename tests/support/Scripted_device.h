// A D2XX device for tests: replies queued per write, statuses injected per
// call, a record of every byte written, and optional short reads and writes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "board/D2xx.h"

namespace velqoris::testing {

class ScriptedDevice final : public d2xx::Api {
 public:
  enum class Call { Open, Close, Read, Write, Purge, QueueStatus, SetUSBParameters, kCount };

  // Bytes that arrive once the next FT_Write has gone out (one entry per write).
  void QueueReply(std::string bytes) { replies_.push_back(std::move(bytes)); }
  // Bytes that are in the receive queue now.
  void Feed(const std::string& bytes) { rx_.insert(rx_.end(), bytes.begin(), bytes.end()); }
  // The next `times` calls of `call` return `status` and do nothing else.
  void Inject(Call call, d2xx::FT_STATUS status, int times = 1) {
    for (int i = 0; i < times; ++i) injected_[Index(call)].push_back(status);
  }
  // FT_Read returns at most this many bytes per call, whatever was asked.
  void SetReadLimit(std::optional<d2xx::DWORD> limit) { readLimit_ = limit; }
  // FT_Write reports at most this many bytes written (status stays FT_OK).
  void SetWriteLimit(std::optional<d2xx::DWORD> limit) { writeLimit_ = limit; }

  std::string Queued() const { return std::string(rx_.begin(), rx_.end()); }
  const std::string& Written() const { return written_; }
  const std::vector<std::string>& Writes() const { return writes_; }
  const std::vector<d2xx::DWORD>& ReadRequests() const { return readRequests_; }
  const std::vector<d2xx::DWORD>& PurgeMasks() const { return purgeMasks_; }
  int Count(Call call) const { return counts_[Index(call)]; }
  bool IsOpen() const { return open_; }
  d2xx::DWORD InTransferSize() const { return inSize_; }
  d2xx::DWORD OutTransferSize() const { return outSize_; }

  d2xx::FT_STATUS FT_Open(int deviceNumber, d2xx::FT_HANDLE* handle) override {
    if (auto s = Begin(Call::Open)) return *s;
    if (deviceNumber != 0) return d2xx::FT_DEVICE_NOT_FOUND;
    if (open_) return d2xx::FT_DEVICE_NOT_OPENED;
    open_ = true;
    *handle = Handle();
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_Close(d2xx::FT_HANDLE handle) override {
    if (auto s = Begin(Call::Close)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    open_ = false;
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_Read(d2xx::FT_HANDLE handle, void* buffer, d2xx::DWORD bytesToRead,
                          d2xx::DWORD* bytesReturned) override {
    *bytesReturned = 0;
    readRequests_.push_back(bytesToRead);
    if (auto s = Begin(Call::Read)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    std::size_t n = std::min<std::size_t>(bytesToRead, rx_.size());
    if (readLimit_) n = std::min<std::size_t>(n, *readLimit_);
    std::copy_n(rx_.begin(), n, static_cast<std::uint8_t*>(buffer));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
    *bytesReturned = static_cast<d2xx::DWORD>(n);
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_Write(d2xx::FT_HANDLE handle, const void* buffer, d2xx::DWORD bytesToWrite,
                           d2xx::DWORD* bytesWritten) override {
    *bytesWritten = 0;
    if (auto s = Begin(Call::Write)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    d2xx::DWORD n = bytesToWrite;
    if (writeLimit_) n = std::min(n, *writeLimit_);
    std::string bytes(static_cast<const char*>(buffer), n);
    written_ += bytes;
    writes_.push_back(bytes);
    *bytesWritten = n;
    if (!replies_.empty()) {
      Feed(replies_.front());
      replies_.pop_front();
    }
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_Purge(d2xx::FT_HANDLE handle, d2xx::DWORD mask) override {
    if (auto s = Begin(Call::Purge)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    purgeMasks_.push_back(mask);
    if (mask & d2xx::FT_PURGE_RX) rx_.clear();
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_GetQueueStatus(d2xx::FT_HANDLE handle, d2xx::DWORD* rxBytes) override {
    *rxBytes = 0;
    if (auto s = Begin(Call::QueueStatus)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    *rxBytes = static_cast<d2xx::DWORD>(rx_.size());
    return d2xx::FT_OK;
  }
  d2xx::FT_STATUS FT_SetUSBParameters(d2xx::FT_HANDLE handle, d2xx::DWORD inTransferSize,
                                      d2xx::DWORD outTransferSize) override {
    if (auto s = Begin(Call::SetUSBParameters)) return *s;
    if (!Valid(handle)) return d2xx::FT_INVALID_HANDLE;
    inSize_ = inTransferSize;
    outSize_ = outTransferSize;
    return d2xx::FT_OK;
  }

 private:
  static std::size_t Index(Call call) { return static_cast<std::size_t>(call); }
  d2xx::FT_HANDLE Handle() { return &token_; }
  bool Valid(d2xx::FT_HANDLE handle) { return open_ && handle == Handle(); }
  std::optional<d2xx::FT_STATUS> Begin(Call call) {
    ++counts_[Index(call)];
    auto& queue = injected_[Index(call)];
    if (queue.empty()) return std::nullopt;
    d2xx::FT_STATUS status = queue.front();
    queue.pop_front();
    return status;
  }

  int token_ = 0;
  bool open_ = false;
  std::deque<std::uint8_t> rx_;
  std::deque<std::string> replies_;
  std::array<std::deque<d2xx::FT_STATUS>, static_cast<std::size_t>(Call::kCount)> injected_;
  std::array<int, static_cast<std::size_t>(Call::kCount)> counts_{};
  std::optional<d2xx::DWORD> readLimit_;
  std::optional<d2xx::DWORD> writeLimit_;
  std::string written_;
  std::vector<std::string> writes_;
  std::vector<d2xx::DWORD> readRequests_;
  std::vector<d2xx::DWORD> purgeMasks_;
  d2xx::DWORD inSize_ = 0;
  d2xx::DWORD outSize_ = 0;
};

}  // namespace velqoris::testing
