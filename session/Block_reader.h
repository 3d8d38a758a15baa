// Reads a started run's results from the board one block at a time into two
// small arrays, for runs longer than the sample buffers: the log and the
// sweep keep what they need of each block and let it go.
#pragma once

#include <array>
#include <cstdint>

#include "board/Ad7190.h"

namespace velqoris::cli {

class BlockReader {
 public:
  enum class Status { kWaiting, kBlock, kError };
  static constexpr int kMaxBlock = TADC::kMaxDualFrames;

  // channelSel 0, 1 (single frames) or 2 (pairs).
  BlockReader(TADC& board, int channelSel) : board_(board), channelSel_(channelSel) {}

  // Asks for wanted results (1 to kMaxBlock); a block arrives whole or not at all.
  Status Read(int wanted);
  int Count() const { return count_; }
  // Channel 0 and 1 of the block; a one-channel run fills the array of its channel.
  const std::int32_t* Codes(int channel) const {
    return channel == 0 ? codes0_.data() : codes1_.data();
  }

 private:
  TADC& board_;
  int channelSel_;
  int count_ = 0;
  std::array<std::int32_t, kMaxBlock> codes0_{};
  std::array<std::int32_t, kMaxBlock> codes1_{};
};

}  // namespace velqoris::cli
