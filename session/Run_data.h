// The data on display: the settings it was taken with, both channels'
// buffers with the four arrays behind them, which channels hold data, and
// the statistics of what is held. Plain C++, shared by the window and the
// command-line tool.
#pragma once

#include <cstdint>
#include <vector>

#include "records/Measure_settings.h"

namespace velqoris {

class RunData {
 public:
  RunData();
  RunData(const RunData&) = delete;
  RunData& operator=(const RunData&) = delete;

  // Points both buffers at their own arrays again.
  void ResetBuffers();
  // Forgets the data on display: both flags false, both counts 0.
  void DropData();
  // Takes another run's settings, flags, counts and codes (not its figures).
  void CopyRun(const RunData& from);
  bool HasData() const { return fCH0Data || fCH1Data; }

  // Microvolts for every held result of each channel that holds data.
  void ConvertAll();
  // Microvolts for results first … last (inclusive) of the run's channel(s),
  // whatever the counts say; indices outside the arrays are left out.
  void ConvertRange(int first, int last);
  // Means and deviations of each channel whose count is not 0; a channel
  // with count 0 keeps its earlier values.
  void CalcCodeStats();
  void CalcVoltStats();
  // Both, codes first, after ConvertAll.
  void CalcStats() {
    CalcCodeStats();
    CalcVoltStats();
  }

  std::int32_t* Codes(int channel) { return channel == 0 ? codes0_.data() : codes1_.data(); }
  const std::int32_t* Codes(int channel) const {
    return channel == 0 ? codes0_.data() : codes1_.data();
  }
  const float* Microvolts(int channel) const {
    return channel == 0 ? volts0_.data() : volts1_.data();
  }

  MeasureSettings Settings;
  SampleBuffer Ch0;
  SampleBuffer Ch1;
  bool fCH0Data = false;
  bool fCH1Data = false;
  std::int32_t CodeMeanCH0 = 0;
  std::int32_t CodeMeanCH1 = 0;
  float CodeSDCH0 = 0;
  float CodeSDCH1 = 0;
  float VoltMeanCH0 = 0;
  float VoltMeanCH1 = 0;
  float VoltSDCH0 = 0;
  float VoltSDCH1 = 0;

 private:
  std::vector<std::int32_t> codes0_;
  std::vector<std::int32_t> codes1_;
  std::vector<float> volts0_;
  std::vector<float> volts1_;
};

}  // namespace velqoris
