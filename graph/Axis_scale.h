// The graph's axis scaling, without any window: microvolt conversion, range
// searches, 1-2-5 spans, aligned bottoms, the microvolt unit and the texts of
// the eleven Y-axis labels (index 0 at the top). Stored floating-point values
// are float32; the arithmetic behind them runs in double.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "records/Measure_settings.h"
#include "units/Microvolts.h"

namespace velqoris {

using LabelTexts = std::array<std::string, 11>;

struct VoltUnit {
  const char* unit;  // "uV", "mV" or "V"
  float span;        // UVSpan in that unit
  float bottom;      // UVBottom in that unit
};

class TAxisScale {
 public:
  TAxisScale(const SampleBuffer& ch0, const SampleBuffer& ch1, const MeasureSettings& settings);

  float CodeToMicrovolts(std::int32_t code) const;

  void FindRange();
  void FindRangeBlock(int first, int last);
  // The code half of ScaleAll: range search, microvolt extremes, code span and bottom.
  void ScaleCodes();
  void ScaleAll();
  void ScaleBlock(int first, int last);

  std::int32_t PickCodeSpan(std::int32_t maxCode, std::int32_t minCode) const;
  std::int32_t PickCodeBottom(std::int32_t span) const;  // centred on MaxCode, MinCode
  float PickUVSpan(float minUV, float maxUV) const;
  float PickUVBottom(float span) const;  // centred on MaxUV, MinUV
  static VoltUnit PickVoltUnit(float uvSpan, float uvBottom);
  static std::string FormatVoltLabel(float scaledSpan, float value);

  LabelTexts CodeLabels() const;
  LabelTexts VoltLabels() const;
  // Labels of any axis (a view the user chose): codes get one decimal when
  // a grid line falls between two codes.
  static LabelTexts CodeLabelsOf(double bottom, double span);
  static LabelTexts VoltLabelsOf(float uvSpan, float uvBottom);
  static LabelTexts DefaultCodeLabels();
  LabelTexts DefaultVoltLabels() const;

  // Extremes of a channel's held samples, for the statistics.
  std::int32_t MaxCodeCh0();
  std::int32_t MinCodeCh0();
  std::int32_t MaxCodeCh1();
  std::int32_t MinCodeCh1();
  float MaxMicrovoltsCh0();
  float MinMicrovoltsCh0();
  float MaxMicrovoltsCh1();
  float MinMicrovoltsCh1();

  bool BothEmpty() const;

  // Scaling state, kept between calls. The starting values describe an
  // empty search so that nothing reads an unset field.
  std::int32_t MaxCode = 0, MinCode = kMaxCode;
  std::int32_t MaxCode0 = 0, MinCode0 = kMaxCode;
  std::int32_t MaxCode1 = 0, MinCode1 = kMaxCode;
  std::int32_t CodeSpan = 10, CodeBottom = kMidScaleCode - 5;
  float MaxUV = 0, MinUV = 0;
  float MaxUV0 = 0, MinUV0 = 0, MaxUV1 = 0, MinUV1 = 0;
  float UVSpan = 0.2f, UVBottom = -0.1f;

 private:
  const SampleBuffer& Ch0;
  const SampleBuffer& Ch1;
  const MeasureSettings& Settings;
};

// Number of samples of a buffer that may be read: Count bounded by the arrays.
int HeldSamples(const SampleBuffer& buffer);

}  // namespace velqoris
