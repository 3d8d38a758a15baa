// An acquisition that ends runs when the test says, with synthetic codes.
#pragma once

#include <deque>
#include <optional>

#include "scpi/Acquisition.h"

namespace velqoris::scpi {

class FakeAcquisition : public Acquisition {
 public:
  void Start(const MeasureSettings& s) override {
    started = s;
    ++starts;
    running = true;
  }
  void Abort() override {
    ++aborts;
    if (running) Finish(RunEnd::kStopped);
  }
  bool StartLog(const std::string& path, const MeasureSettings& s, std::int64_t) override {
    if (!logOk) return false;
    logPath = path;
    started = s;
    running = true;
    return true;
  }
  std::optional<RunEnd> TakeEnd() override {
    if (ends.empty()) return std::nullopt;
    const RunEnd e = ends.front();
    ends.pop_front();
    return e;
  }
  LogProgress Log() const override { return {running, 42, logPath}; }
  const RunData& Data() const override { return data; }
  BoardIdentity Identity() const override { return {"VELQORIS", "1.00", "VIRTUAL"}; }

  // Ends the run; a complete one holds count codes per channel of the settings.
  void Finish(RunEnd end, int count = 0) {
    running = false;
    data.DropData();
    if (end == RunEnd::kComplete && count > 0) {
      data.Settings = started;
      const bool ch0 = started.CHSel != 1, ch1 = started.CHSel != 0;
      for (int i = 0; i < count; ++i) {
        data.Codes(0)[i] = kMidScaleCode + i;
        data.Codes(1)[i] = kMidScaleCode - i;
      }
      data.Ch0.Count = ch0 ? count : 0;
      data.Ch1.Count = ch1 ? count : 0;
      data.fCH0Data = ch0;
      data.fCH1Data = ch1;
      data.ConvertAll();
      data.CalcCodeStats();
      data.CalcVoltStats();
    }
    ends.push_back(end);
  }

  MeasureSettings started;
  int starts = 0;
  int aborts = 0;
  bool running = false;
  bool logOk = true;
  std::string logPath;
  std::deque<RunEnd> ends;
  RunData data;
};

}  // namespace velqoris::scpi
