#include "session/Run_data.h"

#include <algorithm>

#include "stats/Run_stats.h"
#include "units/Microvolts.h"

namespace velqoris {

namespace {

void ConvertSpan(const SampleBuffer& buffer, int first, int last, std::int32_t gain) {
  first = std::max(first, 0);
  last = std::min(last, kSampleCapacity - 1);
  for (int i = first; i <= last; ++i)
    buffer.Microvolts[i] = CodeToMicrovolts(buffer.Codes[i], gain);
}

}  // namespace

RunData::RunData()
    : codes0_(kSampleCapacity, 0),
      codes1_(kSampleCapacity, 0),
      volts0_(kSampleCapacity, 0.0f),
      volts1_(kSampleCapacity, 0.0f) {
  ResetBuffers();
}

void RunData::ResetBuffers() {
  Ch0.Codes = codes0_.data();
  Ch0.Microvolts = volts0_.data();
  Ch1.Codes = codes1_.data();
  Ch1.Microvolts = volts1_.data();
}

void RunData::DropData() {
  fCH0Data = false;
  fCH1Data = false;
  Ch0.Count = 0;
  Ch1.Count = 0;
}

void RunData::CopyRun(const RunData& from) {
  Settings = from.Settings;
  fCH0Data = from.fCH0Data;
  fCH1Data = from.fCH1Data;
  Ch0.Count = from.Ch0.Count;
  Ch1.Count = from.Ch1.Count;
  std::copy_n(from.codes0_.begin(), std::clamp(from.Ch0.Count, 0, kSampleCapacity),
              codes0_.begin());
  std::copy_n(from.codes1_.begin(), std::clamp(from.Ch1.Count, 0, kSampleCapacity),
              codes1_.begin());
}

void RunData::ConvertAll() {
  if (fCH0Data) ConvertSpan(Ch0, 0, Ch0.Count - 1, Settings.Gain);
  if (fCH1Data) ConvertSpan(Ch1, 0, Ch1.Count - 1, Settings.Gain);
}

void RunData::ConvertRange(int first, int last) {
  if (Settings.CHSel == 0 || Settings.CHSel == 2) ConvertSpan(Ch0, first, last, Settings.Gain);
  if (Settings.CHSel == 1 || Settings.CHSel == 2) ConvertSpan(Ch1, first, last, Settings.Gain);
}

void RunData::CalcCodeStats() {
  velqoris::CalcCodeStats(Ch0, CodeMeanCH0, CodeSDCH0);
  velqoris::CalcCodeStats(Ch1, CodeMeanCH1, CodeSDCH1);
}

void RunData::CalcVoltStats() {
  velqoris::CalcVoltStats(Ch0, VoltMeanCH0, VoltSDCH0);
  velqoris::CalcVoltStats(Ch1, VoltMeanCH1, VoltSDCH1);
}

}  // namespace velqoris
