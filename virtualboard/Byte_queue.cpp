#include "virtualboard/Byte_queue.h"

#include <algorithm>
#include <cstring>

namespace velqoris {

ByteQueue::ByteQueue(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

bool ByteQueue::Push(const std::uint8_t* bytes, std::size_t count) {
  if (count > Room()) return false;
  if (count == 0) return true;
  const std::size_t tail = (head_ + size_) % ring_.size();
  const std::size_t first = std::min(count, ring_.size() - tail);
  std::memcpy(ring_.data() + tail, bytes, first);
  std::memcpy(ring_.data(), bytes + first, count - first);
  size_ += count;
  return true;
}

std::size_t ByteQueue::Pop(std::uint8_t* dest, std::size_t count) {
  const std::size_t n = std::min(count, size_);
  if (n == 0) return 0;
  const std::size_t first = std::min(n, ring_.size() - head_);
  std::memcpy(dest, ring_.data() + head_, first);
  std::memcpy(dest + first, ring_.data(), n - first);
  head_ = (head_ + n) % ring_.size();
  size_ -= n;
  if (size_ == 0) head_ = 0;
  return n;
}

void ByteQueue::Clear() {
  head_ = 0;
  size_ = 0;
}

}  // namespace velqoris
