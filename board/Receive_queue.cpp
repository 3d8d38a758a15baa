#include "board/Receive_queue.h"

#include <algorithm>
#include <cstring>

namespace velqoris {

ReceiveQueue::ReceiveQueue(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

std::size_t ReceiveQueue::Push(const std::uint8_t* data, std::size_t size) {
  std::lock_guard lock(mutex_);
  const std::size_t count = count_.load(std::memory_order_relaxed);
  const std::size_t n = std::min(size, ring_.size() - count);
  if (n == 0) return 0;
  std::size_t tail = (head_ + count) % ring_.size();
  const std::size_t first = std::min(n, ring_.size() - tail);
  std::memcpy(ring_.data() + tail, data, first);
  std::memcpy(ring_.data(), data + first, n - first);
  count_.store(count + n, std::memory_order_release);
  return n;
}

std::size_t ReceiveQueue::Take(std::uint8_t* dest, std::size_t size) {
  std::lock_guard lock(mutex_);
  const std::size_t count = count_.load(std::memory_order_relaxed);
  const std::size_t n = std::min(size, count);
  if (n == 0) return 0;
  const std::size_t first = std::min(n, ring_.size() - head_);
  std::memcpy(dest, ring_.data() + head_, first);
  std::memcpy(dest + first, ring_.data(), n - first);
  head_ = (head_ + n) % ring_.size();
  count_.store(count - n, std::memory_order_release);
  return n;
}

void ReceiveQueue::Clear() {
  std::lock_guard lock(mutex_);
  head_ = 0;
  count_.store(0, std::memory_order_release);
}

}  // namespace velqoris
