// A USB transport for the I/O thread's tests: a byte stream the test fills,
// scripted read results (idle, time-out, failure), a gate that holds a read in
// flight, and a record of what the thread did. Shared with the test through a
// pointer, since the thread owns the transport itself.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "board/Usb_transport.h"

namespace velqoris::testing {

struct TransportState {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::uint8_t> stream;  // what the chip holds
  std::deque<int> results;          // scripted results, taken before the stream
  std::string replyOnWrite;         // appended to the stream by every write
  int writeResult = 0;              // 0: all bytes; else returned as is
  bool gateClosed = false;
  bool inGate = false;
  bool inRead = false;
  bool purgeDuringRead = false;
  int reads = 0;
  std::vector<int> readSizes;
  std::vector<std::string> writes;
  std::vector<std::pair<bool, bool>> purges;
  std::vector<int> chunks;
  bool destroyed = false;

  void Push(const std::string& bytes) {
    std::lock_guard lock(mutex);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
    changed.notify_all();
  }
  void Script(std::initializer_list<int> codes) {
    std::lock_guard lock(mutex);
    results.insert(results.end(), codes.begin(), codes.end());
    changed.notify_all();
  }
  void OpenGate() {
    std::lock_guard lock(mutex);
    gateClosed = false;
    changed.notify_all();
  }
  // Waits (bounded, for a failing test only) until `pred` holds under the lock.
  bool WaitUntil(const std::function<bool()>& pred) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), pred);
  }
};

class FakeTransport final : public UsbTransport {
 public:
  explicit FakeTransport(std::shared_ptr<TransportState> state) : s_(std::move(state)) {}
  ~FakeTransport() override {
    std::lock_guard lock(s_->mutex);
    s_->destroyed = true;
    s_->changed.notify_all();
  }

  int Read(std::uint8_t* buffer, int size) override {
    std::unique_lock lock(s_->mutex);
    ++s_->reads;
    s_->readSizes.push_back(size);
    s_->inRead = true;
    s_->changed.notify_all();
    if (s_->gateClosed) {
      s_->inGate = true;
      s_->changed.notify_all();
      s_->changed.wait(lock, [&] { return !s_->gateClosed; });
      s_->inGate = false;
    }
    int r = 0;
    if (!s_->results.empty()) {
      r = s_->results.front();
      s_->results.pop_front();
    } else {
      // Like a real idle read: returns after a short while with nothing.
      if (s_->stream.empty())
        s_->changed.wait_for(lock, std::chrono::milliseconds(1),
                             [&] { return !s_->stream.empty() || !s_->results.empty(); });
      const int n = std::min<int>(size, static_cast<int>(s_->stream.size()));
      std::copy_n(s_->stream.begin(), n, buffer);
      s_->stream.erase(s_->stream.begin(), s_->stream.begin() + n);
      r = n;
    }
    s_->inRead = false;
    s_->changed.notify_all();
    return r;
  }
  int Write(const std::uint8_t* data, int size) override {
    std::lock_guard lock(s_->mutex);
    s_->writes.emplace_back(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    s_->stream.insert(s_->stream.end(), s_->replyOnWrite.begin(), s_->replyOnWrite.end());
    s_->changed.notify_all();
    return s_->writeResult == 0 ? size : s_->writeResult;
  }
  int Purge(bool receive, bool transmit) override {
    std::lock_guard lock(s_->mutex);
    if (s_->inRead) s_->purgeDuringRead = true;
    s_->purges.emplace_back(receive, transmit);
    if (receive) s_->stream.clear();
    s_->changed.notify_all();
    return 0;
  }
  int SetReadChunk(int bytes) override {
    std::lock_guard lock(s_->mutex);
    s_->chunks.push_back(bytes);
    return 0;
  }

 private:
  std::shared_ptr<TransportState> s_;
};

// Polls a condition on another thread's progress; the bound only ends a failing test.
inline bool Eventually(const std::function<bool()>& pred) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

}  // namespace velqoris::testing
