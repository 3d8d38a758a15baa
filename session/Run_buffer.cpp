#include "session/Run_buffer.h"

#include <algorithm>

namespace velqoris {

bool RunBuffer::Begin(const RunInfo& run) {
  if (beforeDrop_) beforeDrop_();
  data_.Settings = run.settings;
  data_.DropData();
  data_.ResetBuffers();
  count_ = 0;
  drawPos_ = 0;
  kept_ = false;
  return run.total <= kSampleCapacity;
}

bool RunBuffer::Take(const Block& block) {
  if (count_ + block.count > kSampleCapacity) return false;
  for (int ch = 0; ch < 2; ++ch) {
    if (block.Has(ch))
      std::copy(block.codes[ch].begin(), block.codes[ch].end(), data_.Codes(ch) + count_);
  }
  count_ += block.count;
  return true;
}

bool RunBuffer::End(const RunResult& result) {
  const bool keep =
      result.end == RunEnd::kComplete || (result.end == RunEnd::kStopped && count_ >= kMinKept);
  kept_ = keep;
  if (!keep) {
    data_.DropData();
    return true;
  }
  const int ch = data_.Settings.CHSel;
  data_.fCH0Data = ch == 0 || ch == 2;
  data_.fCH1Data = ch == 1 || ch == 2;
  data_.Ch0.Count = data_.fCH0Data ? count_ : 0;
  data_.Ch1.Count = data_.fCH1Data ? count_ : 0;
  return true;
}

std::int32_t RunBuffer::LatestCode(int channel) const {
  if (count_ <= 0) return 0;
  return data_.Codes(channel)[count_ - 1];
}

bool RunBuffer::NextLiveBlock(int& first, int& last) {
  if (!LiveDrawing(data_.Settings)) return false;
  if (drawPos_ + kLiveBlock > count_) return false;
  first = drawPos_;
  last = drawPos_ + kLiveBlock - 1;
  data_.ConvertRange(first, last);
  drawPos_ += kLiveBlock;
  return true;
}

}  // namespace velqoris
