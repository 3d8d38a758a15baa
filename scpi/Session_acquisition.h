// The acquisition of a front end without a window (velqoris-cli serve): the
// board's run (session/Measurement) and long log (session/Recording) on a
// worker thread of its own, which alone uses the device. The server's thread
// only posts requests and takes finished runs; notify is called on the
// worker thread after each end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Sleeping_event_host.h"
#include "scpi/Acquisition.h"
#include "session/Measurement.h"
#include "session/Recording.h"

namespace velqoris::scpi {

class SessionAcquisition final : public Acquisition {
 public:
  SessionAcquisition(d2xx::Api& device, const Clock& clock, std::string serial,
                     std::function<void()> notify);
  // Stops a run or log (the board is left idle) and ends the worker.
  ~SessionAcquisition() override;
  SessionAcquisition(const SessionAcquisition&) = delete;
  SessionAcquisition& operator=(const SessionAcquisition&) = delete;

  // Connects and identifies the board, waiting for the answer.
  Measurement::ConnectResult Connect();

  void Start(const MeasureSettings& settings) override;
  void Abort() override;
  bool StartLog(const std::string& path, const MeasureSettings& settings,
                std::int64_t total) override;
  std::optional<RunEnd> TakeEnd() override;
  LogProgress Log() const override;
  const RunData& Data() const override { return data_; }
  BoardIdentity Identity() const override;

 private:
  void Post(std::function<void()> job);
  void Body();
  RunEnd Run(const MeasureSettings& settings);
  void Logging(Recording& recording);
  void Ended(RunEnd end);
  void Remember(Measurement::ConnectResult result);

  d2xx::Api& device_;
  const Clock& clock_;
  std::function<void()> notify_;
  // How long the worker's event host pauses between looks at the link.
  std::atomic<std::int64_t> pauseMicroseconds_{200};
  SleepingEventHost host_;
  TADC board_;
  RunData data_;
  Measurement measurement_;
  std::unique_ptr<Recording> recording_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::deque<RunEnd> ends_;
  BoardIdentity identity_;
  bool quit_ = false;
  std::atomic<bool> abort_{false};
  std::thread worker_;
};

}  // namespace velqoris::scpi
