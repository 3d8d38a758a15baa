#include "scpi/Session_acquisition.h"

#include <chrono>
#include <future>

#include "session/Csv_log.h"
#include "session/Csv_sink.h"
#include "session/Recording.h"
#include "session/Stats_sink.h"

namespace velqoris::scpi {

SessionAcquisition::SessionAcquisition(d2xx::Api& device, const Clock& clock, std::string serial,
                                       std::function<void()> notify)
    : clock_(clock),
      notify_(std::move(notify)),
      // Its own pause: short while a client waits on a reply, a fraction of a
      // block while a run comes in.
      host_(clock,
            [this](Clock::Duration) {
              SleepFor(std::chrono::microseconds(pauseMicroseconds_.load()));
            }),
      board_(device, host_),
      core_(board_, clock, host_) {
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
  if (core_.IsBoardReady()) core_.Release();
}

void SessionAcquisition::Remember() {
  if (!core_.IsBoardReady()) return;
  std::lock_guard lock(mutex_);
  identity_.name = core_.BoardName();
  identity_.version = core_.BoardVersion();
}

std::optional<RunEnd> SessionAcquisition::Connect() {
  std::promise<std::optional<RunEnd>> answer;
  auto result = answer.get_future();
  Post([&] {
    const auto failed = core_.Connect();
    Remember();
    answer.set_value(failed);
  });
  return result.get();
}

void SessionAcquisition::Start(const MeasureSettings& settings) {
  abort_ = false;
  Post([this, settings] { Ended(Run(settings)); });
}

RunEnd SessionAcquisition::Run(const MeasureSettings& settings) {
  pauseMicroseconds_ = RecordingPause(settings.spsSel).count();
  const RunEnd end = core_.Run({settings, DataCount(settings.DataCountSel).value_or(0)}, {&buffer_},
                               [this] { return abort_.load(); });
  pauseMicroseconds_ = 200;
  Remember();
  if (buffer_.Kept()) {
    data_.ConvertAll();
    data_.CalcStats();
  }
  return end;
}

bool SessionAcquisition::StartLog(const std::string& path, const MeasureSettings& settings,
                                  std::int64_t total) {
  abort_ = false;
  std::promise<bool> answer;
  auto created = answer.get_future();
  Post([&, path, settings, total] {
    // Created now to know it can be written; the sink writes it afresh with
    // the settings lines once the board has started.
    {
      CsvLog probe;
      if (!probe.Open(path, settings.CHSel != 1, settings.CHSel != 0, clock_.Now())) {
        answer.set_value(false);
        return;
      }
    }
    data_.DropData();
    {
      std::lock_guard lock(mutex_);
      logPath_ = path;
    }
    logWritten_ = 0;
    logActive_ = true;
    answer.set_value(true);
    Ended(Logging(path, settings, total));
  });
  return created.get();
}

RunEnd SessionAcquisition::Logging(const std::string& path, const MeasureSettings& settings,
                                   std::int64_t total) {
  CsvSink csv(path, clock_);
  StatsSink stats;
  pauseMicroseconds_ = RecordingPause(settings.spsSel).count();
  const RunEnd end = core_.Run(
      {settings, total}, {&csv, &stats}, [this] { return abort_.load(); },
      [this] { logWritten_ = core_.ReadCount(); });
  pauseMicroseconds_ = 200;
  Remember();
  logWritten_ = core_.ReadCount();
  logActive_ = false;
  return end;
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
  return {logActive_.load(), logWritten_.load(), logPath_};
}

BoardIdentity SessionAcquisition::Identity() const {
  std::lock_guard lock(mutex_);
  return identity_;
}

}  // namespace velqoris::scpi
