#include "session/Recording.h"

#include <algorithm>

#include "board/Ad7190.h"
#include "session/Log_end.h"
#include "session/Log_header.h"
#include "session/Run_data.h"
#include "status/Status_text.h"

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
  if (!csv_.Open(path, settings.CHSel != 1, settings.CHSel != 0, clock_.Now())) {
    startError_ = csv_.Error();
    return false;
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
  // The board object closes the device when it goes: only then may the
  // window hear that the recording has ended and open the device again.
  const End end = Log(total);
  // Still open only when the board never answered: the file says why it ends there.
  csv_.Finish(LogEndLine(LogEnd::kBoardError, std::chrono::system_clock::now()));
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.end = end;
    // What is in the file, not what was read.
    progress_.written = csv_.RowsInFile();
    progress_.stats[0] = csv_.Stats(0);
    progress_.stats[1] = csv_.Stats(1);
    progress_.writeError = csv_.Error();
  }
  ended_ = true;
}

Recording::End Recording::Log(std::int64_t total) {
  TADC board(device_, host_);
  RunData data;
  data.Settings = settings_;
  data.Settings.Gain = TADC::GainFactor(settings_.GainSel);
  Measurement run(board, data);
  switch (run.ConnectBoard()) {
    case Measurement::ConnectResult::kOk:
      break;
    case Measurement::ConnectResult::kNoResponse:
      return End::kNoResponse;
    case Measurement::ConnectResult::kNotFound:
    case Measurement::ConnectResult::kOtherName:
      return End::kNotFound;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.boardName = run.BoardName();
    progress_.boardVersion = run.BoardVersion();
  }
  // The file was opened at the start to know it can be written; now that the
  // board has answered it opens again with the settings lines the log carries.
  const auto header = LogHeaderLines(data.Settings, PairText(run.BoardName(), run.BoardVersion()),
                                     std::chrono::system_clock::now());
  if (!csv_.Open(path_, settings_.CHSel != 1, settings_.CHSel != 0, clock_.Now(), header)) {
    return End::kWriteError;
  }
  LogRun log(run, board, data.Settings, clock_, host_, csv_);
  const bool ch0 = settings_.CHSel != 1;
  const bool ch1 = settings_.CHSel != 0;
  log.SetBlockListener([&](const std::int32_t* codes0, const std::int32_t* codes1, int count) {
    Block block;
    if (ch0) block.codes[0].assign(codes0, codes0 + count);
    if (ch1) block.codes[1].assign(codes1, codes1 + count);
    const std::lock_guard<std::mutex> lock(mutex_);
    waitingResults_ += static_cast<std::size_t>(count);
    waiting_.push_back(std::move(block));
    while (waitingResults_ > kMaxWaitingResults && !waiting_.empty()) {
      const Block& oldest = waiting_.front();
      waitingResults_ -= std::max(oldest.codes[0].size(), oldest.codes[1].size());
      waiting_.erase(waiting_.begin());
    }
  });
  const auto progress = [&] {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.written = log.Written();
    progress_.stats[0] = log.Stats(0);
    progress_.stats[1] = log.Stats(1);
    progress_.startCommands = log.StartCommands();
    progress_.gaps = log.Gaps().size();
  };
  const auto outcome = log.Run(
      total, [this] { return stop_.load(); }, progress);
  progress();
  FinishLog(csv_, log, outcome);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    progress_.boardGone = log.BoardGone();
  }
  if (csv_.Failed()) return End::kWriteError;
  switch (outcome) {
    case LogRun::Outcome::kComplete:
      return End::kComplete;
    case LogRun::Outcome::kStopped:
      return End::kStopped;
    case LogRun::Outcome::kStartError:
      return End::kStartError;
    case LogRun::Outcome::kReadError:
      return End::kReadError;
    case LogRun::Outcome::kWriteError:
      return End::kWriteError;
  }
  return End::kReadError;
}

}  // namespace velqoris
