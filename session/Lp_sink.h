// One board's run as line-protocol summaries (Line_protocol) sent through a
// shared output: the seconds are cut from the run's settings at Begin, a gap
// shifts the stamps after it, and the last part second goes out at End. A
// failed send does not end the run: the files matter more; the caller reports it.
#pragma once

#include <memory>
#include <string>

#include "session/Line_output.h"
#include "session/Line_protocol.h"
#include "session/Sink.h"

namespace velqoris {

class LpSink final : public Sink {
 public:
  LpSink(LineOutput& output, std::string serial) : output_(output), serial_(std::move(serial)) {}

  bool Begin(const RunInfo& run) override;
  bool Take(const Block& block) override;
  void Gap(int startCommand, double seconds) override;
  bool End(const RunResult& result) override;

 private:
  LineOutput& output_;
  std::string serial_;
  std::unique_ptr<SecondSummaries> summaries_;
};

}  // namespace velqoris
