#include "session/Block_reader.h"

#include <algorithm>

namespace velqoris::cli {

BlockReader::Status BlockReader::Read(int wanted) {
  const int n = std::clamp(wanted, 1, kMaxBlock);
  count_ = 0;
  bool ok = false;
  if (channelSel_ == 2) {
    ok = board_.ReadDual(codes0_.data(), codes1_.data(), n, count_);
  } else {
    ok = board_.ReadSingle(channelSel_ == 1 ? codes1_.data() : codes0_.data(), count_, n);
  }
  if (!ok) return Status::kError;
  return count_ > 0 ? Status::kBlock : Status::kWaiting;
}

}  // namespace velqoris::cli
