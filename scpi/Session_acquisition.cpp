#include "scpi/Session_acquisition.h"

#include <future>

namespace velqoris::scpi {

namespace {

RunEnd EndOf(Recording::End end) {
  switch (end) {
    case Recording::End::kRunning:
    case Recording::End::kComplete:
      return RunEnd::kComplete;
    case Recording::End::kStopped:
      return RunEnd::kStopped;
    case Recording::End::kNotFound:
      return RunEnd::kNotFound;
    case Recording::End::kNoResponse:
      return RunEnd::kNoResponse;
    case Recording::End::kStartError:
      return RunEnd::kRefused;
    case Recording::End::kReadError:
      return RunEnd::kReadError;
    case Recording::End::kWriteError:
      return RunEnd::kWriteError;
  }
  return RunEnd::kReadError;
}

}  // namespace

SessionAcquisition::SessionAcquisition(d2xx::Api& device, const Clock& clock, std::string serial,
                                       std::function<void()> notify)
    : device_(device),
      clock_(clock),
      notify_(std::move(notify)),
      host_(clock,
            [this] {
              std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds_.load()));
            }),
      board_(device, host_),
      measurement_(board_, data_) {
  identity_.serial = std::move(serial);
  worker_ = std::thread([this] { Body(); });
}

SessionAcquisition::~SessionAcquisition() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  abort_ = true;
  wake_.notify_all();
  worker_.join();
}

void SessionAcquisition::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_all();
}

void SessionAcquisition::Body() {
  while (true) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
      if (quit_) break;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
  if (measurement_.IsBoardReady()) measurement_.ReleaseBoard();
}

void SessionAcquisition::Remember(Measurement::ConnectResult result) {
  if (result != Measurement::ConnectResult::kOk) return;
  std::lock_guard lock(mutex_);
  identity_.name = measurement_.BoardName();
  identity_.version = measurement_.BoardVersion();
}

Measurement::ConnectResult SessionAcquisition::Connect() {
  std::promise<Measurement::ConnectResult> answer;
  auto result = answer.get_future();
  Post([&] {
    const auto r = measurement_.ConnectBoard();
    Remember(r);
    answer.set_value(r);
  });
  return result.get();
}

void SessionAcquisition::Start(const MeasureSettings& settings) {
  abort_ = false;
  Post([this, settings] { Ended(Run(settings)); });
}

RunEnd SessionAcquisition::Run(const MeasureSettings& settings) {
  if (!measurement_.IsBoardReady()) {
    const auto connected = measurement_.ConnectBoard();
    Remember(connected);
    if (connected == Measurement::ConnectResult::kNoResponse) return RunEnd::kNoResponse;
    if (connected != Measurement::ConnectResult::kOk) return RunEnd::kNotFound;
  }
  if (!measurement_.SetupBoard(settings)) return RunEnd::kRefused;
  measurement_.BeginRun(settings);
  pauseMicroseconds_ = RecordingPause(settings.spsSel).count();
  RunEnd end = RunEnd::kComplete;
  bool running = true;
  while (running) {
    if (abort_) {
      measurement_.StopRun();
      end = RunEnd::kStopped;
      break;
    }
    switch (measurement_.MeasureStep()) {
      case Measurement::StepResult::kWaiting:
        host_.ProcessEvents();
        break;
      case Measurement::StepResult::kProgress:
        break;
      case Measurement::StepResult::kIdle:
      case Measurement::StepResult::kComplete:
        running = false;
        break;
      case Measurement::StepResult::kError:
        end = RunEnd::kReadError;
        running = false;
        break;
    }
  }
  pauseMicroseconds_ = 200;
  if (data_.HasData()) {
    measurement_.ConvertAll();
    measurement_.CalcStats();
  }
  return end;
}

bool SessionAcquisition::StartLog(const std::string& path, const MeasureSettings& settings,
                                  std::int64_t total) {
  abort_ = false;
  std::promise<bool> answer;
  auto started = answer.get_future();
  Post([&, settings, total] {
    // The recording connects on its own thread: this link is closed first.
    if (measurement_.IsBoardReady()) measurement_.ReleaseBoard();
    data_.DropData();
    auto recording = std::make_unique<Recording>(device_, clock_, host_);
    const bool ok = recording->Start(path, settings, total);
    {
      std::lock_guard lock(mutex_);
      recording_ = std::move(recording);
    }
    answer.set_value(ok);
    if (ok) Logging(*recording_);
  });
  return started.get();
}

void SessionAcquisition::Logging(Recording& recording) {
  while (!recording.Ended()) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return abort_.load(); });
    lock.unlock();
    if (abort_) recording.Stop();
  }
  recording.Join();
  const RunEnd end = EndOf(recording.Snapshot().end);
  Ended(end);
}

void SessionAcquisition::Abort() {
  abort_ = true;
  wake_.notify_all();
}

void SessionAcquisition::Ended(RunEnd end) {
  {
    std::lock_guard lock(mutex_);
    ends_.push_back(end);
  }
  if (notify_) notify_();
}

std::optional<RunEnd> SessionAcquisition::TakeEnd() {
  std::lock_guard lock(mutex_);
  if (ends_.empty()) return std::nullopt;
  const RunEnd end = ends_.front();
  ends_.pop_front();
  return end;
}

LogProgress SessionAcquisition::Log() const {
  std::lock_guard lock(mutex_);
  LogProgress p;
  if (recording_) {
    const Recording::Progress snapshot = recording_->Snapshot();
    p.active = snapshot.end == Recording::End::kRunning;
    p.written = snapshot.written;
    p.path = recording_->Path();
  }
  return p;
}

BoardIdentity SessionAcquisition::Identity() const {
  std::lock_guard lock(mutex_);
  return identity_;
}

}  // namespace velqoris::scpi
