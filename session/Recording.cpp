#include "session/Recording.h"

#include <algorithm>
#include <utility>

#include "board/Ad7190.h"
#include "session/Csv_sink.h"

namespace velqoris {

std::chrono::microseconds RecordingPause(int spsSel) {
  const double rate = DataRate(spsSel).value_or(kDataRates.front());
  const double block = ReadBlock(spsSel).value_or(1);
  const auto quarter = static_cast<std::int64_t>(block / rate / 4 * 1e6);
  return std::chrono::microseconds(std::clamp<std::int64_t>(quarter, 1000, 20000));
}

Recording::Recording(d2xx::Api& device, const Clock& clock, EventHost& host)
    : device_(device), clock_(clock), host_(host) {}

Recording::~Recording() {
  Stop();
  Join();
}

bool Recording::Start(const std::string& path, const MeasureSettings& settings,
                      std::int64_t total) {
  if (thread_.joinable()) return false;
  settings_ = settings;
  path_ = path;
  // Created now to know it can be written; the thread writes it afresh with
  // the settings lines once the board has answered.
  {
    CsvLog probe;
    if (!probe.Open(path, settings.CHSel != 1, settings.CHSel != 0, clock_.Now())) {
      startError_ = probe.Error();
      return false;
    }
  }
  stop_ = false;
  ended_ = false;
  progress_ = Progress{};
  progress_.total = total;
  thread_ = std::thread([this, total] { Body(total); });
  return true;
}

void Recording::Stop() { stop_ = true; }

bool Recording::Ended() const { return ended_; }

void Recording::Join() {
  if (thread_.joinable()) thread_.join();
}

std::vector<Recording::Block> Recording::TakeBlocks() {
  const std::lock_guard<std::mutex> lock(mutex_);
  waitingResults_ = 0;
  return std::exchange(waiting_, {});
}

Recording::Progress Recording::Snapshot() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return progress_;
}

void Recording::Body(std::int64_t total) {
  RunEnd end = RunEnd::kNotEnded;
  {
    // The board object closes the device when it goes: only then may the
    // window hear that the recording has ended and open the device again.
    TADC board(device_, host_);
    Acquisition acquisition(board, clock_, host_);
    CsvSink csv(path_, clock_);
    end =
        acquisition.Run({settings_, total}, {&csv, &stats_, this}, [this] { return stop_.load(); });
    const std::lock_guard<std::mutex> lock(mutex_);
    // What is in the file, not what was read.
    progress_.written = csv.RowsInFile();
    progress_.stats[0] = csv.Stats(0);
    progress_.stats[1] = csv.Stats(1);
    progress_.failure = acquisition.Result().failure;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.end = end;
  }
  ended_ = true;
}

bool Recording::Take(const velqoris::Block& block) {
  Block copy;
  for (int ch = 0; ch < 2; ++ch)
    copy.codes[ch].assign(block.codes[ch].begin(), block.codes[ch].end());
  const std::lock_guard<std::mutex> lock(mutex_);
  waitingResults_ += static_cast<std::size_t>(block.count);
  waiting_.push_back(std::move(copy));
  while (waitingResults_ > kMaxWaitingResults && !waiting_.empty()) {
    const Block& oldest = waiting_.front();
    waitingResults_ -= std::max(oldest.codes[0].size(), oldest.codes[1].size());
    waiting_.erase(waiting_.begin());
  }
  progress_.written = block.first + block.count;
  progress_.stats[0] = stats_.Stats(0);
  progress_.stats[1] = stats_.Stats(1);
  return true;
}

}  // namespace velqoris
