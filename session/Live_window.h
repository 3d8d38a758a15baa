// The live view's samples: the last N results of each measured channel of a
// run that goes on until stopped, in a ring of fixed size (memory stays flat
// however long it runs), copied oldest first into the data on display for
// each picture and for good when the view stops. A sink of the acquisition.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "records/Measure_settings.h"
#include "session/Sink.h"

namespace velqoris {

class RunData;

class LiveWindow final : public Sink {
 public:
  // A new run at these settings keeping its last `size` results (1 … kSampleCapacity).
  void Reset(const MeasureSettings& settings, int size);
  // One block; a channel the run does not measure passes null.
  void Take(const std::int32_t* ch0, const std::int32_t* ch1, int count);
  bool Take(const Block& block) override;

  int Size() const { return size_; }
  // Results in the window (up to Size()) and received since Reset.
  int Held() const { return static_cast<int>(std::min<std::int64_t>(received_, size_)); }
  std::int64_t Received() const { return received_; }
  // Index in the run of the oldest result in the window.
  std::int64_t FirstIndex() const { return received_ - Held(); }
  const MeasureSettings& Settings() const { return settings_; }

  // The window as the data on display: its settings (with Gain), codes oldest
  // first, counts and flags of the measured channels; figures still to compute.
  void CopyTo(RunData& data) const;

 private:
  MeasureSettings settings_;
  int size_ = 0;
  std::int64_t received_ = 0;
  int next_ = 0;  // ring slot of the next result
  std::vector<std::int32_t> ring_[2];
};

}  // namespace velqoris
