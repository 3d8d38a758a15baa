#include "session/Live_window.h"

#include <algorithm>

#include "session/Run_data.h"

namespace velqoris {

void LiveWindow::Reset(const MeasureSettings& settings, int size) {
  settings_ = settings;
  settings_.Gain = DerivedGain(settings.GainSel);
  size_ = std::clamp(size, 1, kSampleCapacity);
  received_ = 0;
  next_ = 0;
  for (auto& ring : ring_) ring.assign(static_cast<std::size_t>(size_), 0);
}

void LiveWindow::Take(const std::int32_t* ch0, const std::int32_t* ch1, int count) {
  if (size_ == 0) return;
  const std::int32_t* codes[2] = {ch0, ch1};
  for (int i = 0; i < count; ++i) {
    for (int ch = 0; ch < 2; ++ch) {
      if (codes[ch] != nullptr) ring_[ch][static_cast<std::size_t>(next_)] = codes[ch][i];
    }
    next_ = next_ + 1 == size_ ? 0 : next_ + 1;
  }
  received_ += count;
}

bool LiveWindow::Take(const Block& block) {
  Take(block.Has(0) ? block.codes[0].data() : nullptr,
       block.Has(1) ? block.codes[1].data() : nullptr, block.count);
  return true;
}

void LiveWindow::CopyTo(RunData& data) const {
  data.ResetBuffers();
  data.Settings = settings_;
  const int held = Held();
  // The oldest result sits at the next slot once the ring has come round.
  const int oldest = received_ >= size_ ? next_ : 0;
  const int ch = settings_.CHSel;
  const bool measured[2] = {ch == 0 || ch == 2, ch == 1 || ch == 2};
  for (int c = 0; c < 2; ++c) {
    SampleBuffer& buffer = c == 0 ? data.Ch0 : data.Ch1;
    std::int32_t* out = data.Codes(c);
    const auto& ring = ring_[c];
    buffer.Count = measured[c] ? held : 0;
    if (!measured[c]) continue;
    const auto split = std::min(held, size_ - oldest);
    std::copy_n(ring.begin() + oldest, split, out);
    std::copy_n(ring.begin(), held - split, out + split);
  }
  data.fCH0Data = measured[0] && held > 0;
  data.fCH1Data = measured[1] && held > 0;
}

}  // namespace velqoris
