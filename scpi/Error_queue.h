// The error/event queue SYSTem:ERRor? reads, oldest first. It holds at most
// kCapacity entries: when full, the newest entry becomes -350 "Queue
// overflow" and later errors are lost until the queue is read, so a client
// that never asks cannot grow it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "scpi/Scpi_errors.h"

namespace velqoris::scpi {

class ErrorQueue {
 public:
  static constexpr std::size_t kCapacity = 20;

  void Push(ScpiError error, std::string detail = {});
  // The oldest entry, removed; 0,"No error" when empty.
  std::string Pop();
  void Clear() { entries_.clear(); }
  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }

 private:
  struct Entry {
    ScpiError error;
    std::string detail;
  };
  std::deque<Entry> entries_;
};

}  // namespace velqoris::scpi
