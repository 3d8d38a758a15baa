// The acquisition of a front end without a window (velqoris-cli serve): the
// acquisition core (session/Acquisition) on a worker thread of its own, which
// alone uses the device. A run goes into the data on display (Run_buffer), a
// log into its CSV and running statistics (Csv_sink, Stats_sink). The
// server's thread only posts requests and takes finished runs; notify is
// called on the worker thread after each end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Sleeping_event_host.h"
#include "scpi/Acquisition.h"
#include "session/Acquisition.h"
#include "session/Run_buffer.h"

namespace velqoris::scpi {

class SessionAcquisition final : public Acquisition {
 public:
  SessionAcquisition(d2xx::Api& device, const Clock& clock, std::string serial,
                     std::function<void()> notify);
  // Stops a run or log (the board is left idle) and ends the worker.
  ~SessionAcquisition() override;
  SessionAcquisition(const SessionAcquisition&) = delete;
  SessionAcquisition& operator=(const SessionAcquisition&) = delete;

  // Connects and identifies the board, waiting for the answer; nullopt when
  // it answered as it should.
  std::optional<RunEnd> Connect();

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
  RunEnd Logging(const std::string& path, const MeasureSettings& settings, std::int64_t total);
  void Ended(RunEnd end);
  void Remember();

  const Clock& clock_;
  std::function<void()> notify_;
  // How long the worker's event host pauses between looks at the link.
  std::atomic<std::int64_t> pauseMicroseconds_{200};
  SleepingEventHost host_;
  TADC board_;
  velqoris::Acquisition core_;
  RunData data_;
  RunBuffer buffer_{data_};

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::deque<RunEnd> ends_;
  BoardIdentity identity_;
  std::string logPath_;
  std::atomic<bool> logActive_{false};
  std::atomic<std::int64_t> logWritten_{0};
  bool quit_ = false;
  std::atomic<bool> abort_{false};
  std::thread worker_;
};

}  // namespace velqoris::scpi
