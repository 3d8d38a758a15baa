// Bytes received from the device and not yet taken: written by the I/O thread,
// read by the caller's thread. Count() never blocks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace velqoris {

class ReceiveQueue {
 public:
  explicit ReceiveQueue(std::size_t capacity);

  std::size_t Capacity() const { return ring_.size(); }
  std::size_t Count() const { return count_.load(std::memory_order_acquire); }
  std::size_t Free() const { return Capacity() - Count(); }
  // Appends as many bytes as fit; returns how many.
  std::size_t Push(const std::uint8_t* data, std::size_t size);
  // Takes up to `size` bytes, oldest first; returns how many.
  std::size_t Take(std::uint8_t* dest, std::size_t size);
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint8_t> ring_;
  std::size_t head_ = 0;  // oldest byte
  std::atomic<std::size_t> count_{0};
};

}  // namespace velqoris
