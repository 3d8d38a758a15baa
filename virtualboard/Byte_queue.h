// The bytes the board has put into the USB FIFO for the host, in order, with a
// fixed capacity: what does not fit is refused, never grown into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velqoris {

class ByteQueue {
 public:
  explicit ByteQueue(std::size_t capacity);

  std::size_t Size() const { return size_; }
  std::size_t Capacity() const { return ring_.size(); }
  std::size_t Room() const { return ring_.size() - size_; }
  // Appends all of the bytes, or none when they do not fit.
  bool Push(const std::uint8_t* bytes, std::size_t count);
  // Moves up to `count` bytes out into `dest`; returns how many.
  std::size_t Pop(std::uint8_t* dest, std::size_t count);
  void Clear();

 private:
  std::vector<std::uint8_t> ring_;
  std::size_t head_ = 0;
  std::size_t size_ = 0;
};

}  // namespace velqoris
