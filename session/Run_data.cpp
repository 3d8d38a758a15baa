#include "session/Run_data.h"

#include <algorithm>

#include "status/Run_stats.h"

namespace velqoris {

namespace {

void ConvertSpan(const SampleBuffer& buffer, int first, int last, const CodeConverter& convert) {
  first = std::max(first, 0);
  last = std::min(last, kSampleCapacity - 1);
  for (int i = first; i <= last; ++i) buffer.Microvolts[i] = convert(buffer.Codes[i]);
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

void RunData::ConvertAll(const CodeConverter& convert) {
  if (fCH0Data) ConvertSpan(Ch0, 0, Ch0.Count - 1, convert);
  if (fCH1Data) ConvertSpan(Ch1, 0, Ch1.Count - 1, convert);
}

void RunData::ConvertRange(int first, int last, const CodeConverter& convert) {
  if (Settings.CHSel == 0 || Settings.CHSel == 2) ConvertSpan(Ch0, first, last, convert);
  if (Settings.CHSel == 1 || Settings.CHSel == 2) ConvertSpan(Ch1, first, last, convert);
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
