// The data on display as a run's sink: the run's results written into the
// RunData arrays (at most kSampleCapacity), its settings taken once the board
// has started it, the live-drawing schedule of slow long runs, and what a run
// leaves behind: the results of a complete run, or of a stopped one with at
// least kMinKept of them; nothing after any other end.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "session/Run_data.h"
#include "session/Sink.h"

namespace velqoris {

class RunBuffer final : public Sink {
 public:
  // A stopped run keeps its results only from this many on.
  static constexpr int kMinKept = 10;

  // beforeDrop runs at Begin while the old data is still held (the window
  // draws the old grid without traces then).
  explicit RunBuffer(RunData& data, std::function<void()> beforeDrop = {})
      : data_(data), beforeDrop_(std::move(beforeDrop)) {}

  // The run replaces the data on display: its settings become data.Settings
  // and the buffers are emptied. False for a run longer than the buffers.
  bool Begin(const RunInfo& run) override;
  bool Take(const Block& block) override;
  // Counts and flags describe the new data only now (see Kept).
  bool End(const RunResult& result) override;

  // The run's results are the data on display (after End).
  bool Kept() const { return kept_; }
  int Count() const { return count_; }
  // The newest result of a channel during a run (0 before the first).
  std::int32_t LatestCode(int channel) const;
  // During a slow, long run: true once another block of kLiveBlock results
  // is in, with its range, already converted to microvolts. At most one per call.
  bool NextLiveBlock(int& first, int& last);

 private:
  RunData& data_;
  std::function<void()> beforeDrop_;
  int count_ = 0;
  int drawPos_ = 0;
  bool kept_ = false;
};

}  // namespace velqoris
