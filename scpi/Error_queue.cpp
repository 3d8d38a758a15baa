#include "scpi/Error_queue.h"

#include <utility>

namespace velqoris::scpi {

void ErrorQueue::Push(ScpiError error, std::string detail) {
  if (entries_.size() >= kCapacity) {
    entries_.back() = {ScpiError::kQueueOverflow, {}};
    return;
  }
  if (entries_.size() + 1 == kCapacity) {
    entries_.push_back({ScpiError::kQueueOverflow, {}});
    return;
  }
  entries_.push_back({error, std::move(detail)});
}

std::string ErrorQueue::Pop() {
  if (entries_.empty()) return ErrorEntry(ScpiError::kNone, {});
  const Entry e = std::move(entries_.front());
  entries_.pop_front();
  return ErrorEntry(e.error, e.detail);
}

}  // namespace velqoris::scpi
