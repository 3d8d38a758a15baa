#include "graph/Axis_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "graph/Number_pattern.h"
#include "stats/Code_extremes.h"

namespace velqoris {

namespace {

// Block indices never leave the arrays.
int ClampIndex(int index) { return std::clamp(index, 0, kSampleCapacity - 1); }

// Truncation towards zero, bounded so that no out-of-range value reaches an int.
std::int64_t TruncBounded(double value) {
  if (!(value == value)) return 0;
  return static_cast<std::int64_t>(std::clamp(value, -1e15, 1e15));
}

}  // namespace

int HeldSamples(const SampleBuffer& buffer) {
  if (buffer.Codes == nullptr) return 0;
  return std::clamp(buffer.Count, 0, kSampleCapacity);
}

TAxisScale::TAxisScale(const SampleBuffer& ch0, const SampleBuffer& ch1,
                       const MeasureSettings& settings)
    : Ch0(ch0), Ch1(ch1), Settings(settings) {}

float TAxisScale::CodeToMicrovolts(std::int32_t code) const {
  return velqoris::CodeToMicrovolts(code, Settings.Gain);
}

bool TAxisScale::BothEmpty() const { return HeldSamples(Ch0) == 0 && HeldSamples(Ch1) == 0; }

void TAxisScale::FindRange() {
  MaxCode = 0;
  MinCode = kMaxCode;
  if (const int n = HeldSamples(Ch0); n > 0) {
    const CodeExtremes e = FindExtremes(Ch0.Codes, 0, n - 1);
    MaxCode0 = MaxCode = e.max;
    MinCode0 = MinCode = e.min;
  }
  if (const int n = HeldSamples(Ch1); n > 0) {
    const CodeExtremes e = FindExtremes(Ch1.Codes, 0, n - 1);
    MaxCode1 = e.max;
    MinCode1 = e.min;
    MaxCode = std::max(MaxCode, MaxCode1);
    MinCode = std::min(MinCode, MinCode1);
  }
}

void TAxisScale::FindRangeBlock(int first, int last) {
  first = ClampIndex(first);
  last = ClampIndex(last);
  MaxCode = 0;
  MinCode = kMaxCode;
  if (Settings.CHSel == 0 || Settings.CHSel == 2) {
    const CodeExtremes e = FindExtremes(Ch0.Codes, first, last);
    MaxCode0 = MaxCode = e.max;
    MinCode0 = MinCode = e.min;
  }
  if (Settings.CHSel == 1 || Settings.CHSel == 2) {
    const CodeExtremes e = FindExtremes(Ch1.Codes, first, last);
    MaxCode1 = e.max;
    MinCode1 = e.min;
    MaxCode = std::max(MaxCode, MaxCode1);
    MinCode = std::min(MinCode, MinCode1);
  }
}

void TAxisScale::ScaleCodes() {
  FindRange();
  MaxUV = CodeToMicrovolts(MaxCode);
  MinUV = CodeToMicrovolts(MinCode);
  CodeSpan = PickCodeSpan(MaxCode, MinCode);
  CodeBottom = PickCodeBottom(CodeSpan);
}

void TAxisScale::ScaleAll() {
  ScaleCodes();
  UVSpan = PickUVSpan(MinUV, MaxUV);
  UVBottom = PickUVBottom(UVSpan);
}

void TAxisScale::ScaleBlock(int first, int last) {
  FindRangeBlock(first, last);
  MaxUV = CodeToMicrovolts(MaxCode);
  MinUV = CodeToMicrovolts(MinCode);
  CodeSpan = PickCodeSpan(MaxCode, MinCode);
  CodeBottom = PickCodeBottom(CodeSpan);
  UVSpan = PickUVSpan(MinUV, MaxUV);
  UVBottom = PickUVBottom(UVSpan);
}

std::int32_t TAxisScale::PickCodeSpan(std::int32_t maxCode, std::int32_t minCode) const {
  static constexpr std::int32_t kSpans[] = {
      10,    20,    50,     100,    200,    500,     1000,    2000,    5000,    10000,
      20000, 50000, 100000, 200000, 500000, 1000000, 2000000, 5000000, 10000000};
  const std::int64_t d = static_cast<std::int64_t>(maxCode) - minCode;
  for (const std::int32_t span : kSpans) {
    if (d <= span / 10 * 8) return span;
  }
  return 20000000;
}

std::int32_t TAxisScale::PickCodeBottom(std::int32_t span) const {
  const std::int64_t centre = (static_cast<std::int64_t>(MaxCode) + MinCode) / 2;
  std::int64_t b = centre - span / 2;
  if (span > 10) {
    const std::int32_t step = span / 20;
    b = (b / step) * step;
  }
  // Codes at the ends of the 32-bit range would put the bottom outside it.
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      b, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

float TAxisScale::PickUVSpan(float minUV, float maxUV) const {
  struct Row {
    double limit;
    float span;
  };
  // The limits are double constants: a float32 0.4f lies above 0.4.
  static constexpr Row kRows[] = {{0.16, 0.2f},
                                  {0.4, 0.5f},
                                  {0.8, 1.0f},
                                  {1.6, 2.0f},
                                  {4.0, 5.0f},
                                  {8.0, 10.0f},
                                  {16.0, 20.0f},
                                  {40.0, 50.0f},
                                  {80.0, 100.0f},
                                  {160.0, 200.0f},
                                  {400.0, 500.0f},
                                  {800.0, 1000.0f},
                                  {1600.0, 2000.0f},
                                  {4000.0, 5000.0f},
                                  {8000.0, 10000.0f},
                                  {16000.0, 20000.0f},
                                  {40000.0, 50000.0f},
                                  {80000.0, 100000.0f},
                                  {160000.0, 200000.0f},
                                  {400000.0, 500000.0f},
                                  {800000.0, 1000000.0f},
                                  {1600000.0, 2000000.0f},
                                  {4000000.0, 5000000.0f}};
  const float d = static_cast<float>(static_cast<double>(maxUV) - static_cast<double>(minUV));
  for (const Row& row : kRows) {
    if (static_cast<double>(d) <= row.limit) return row.span;
  }
  return 6000000.0f;
}

float TAxisScale::PickUVBottom(float span) const {
  const float a = static_cast<float>((static_cast<double>(MaxUV) + MinUV) * 0.5 -
                                     static_cast<double>(span) * 0.5);
  const float step = static_cast<float>(static_cast<double>(span) * 0.1);
  const double steps = a >= 0 ? std::trunc(a / static_cast<double>(step) + 0.5)
                              : -std::trunc(-a / static_cast<double>(step) + 0.5);
  return static_cast<float>(steps * step);
}

VoltUnit TAxisScale::PickVoltUnit(float uvSpan, float uvBottom) {
  const std::int64_t m =
      std::max(std::llabs(TruncBounded(uvSpan)), std::llabs(TruncBounded(uvBottom)));
  const char* unit = "uV";
  double factor = 1.0;
  if (m > 200000) {
    unit = "V";
    factor = 0.000001;
  } else if (m > 200) {
    unit = "mV";
    factor = 0.001;
  }
  return {unit, static_cast<float>(uvSpan * factor), static_cast<float>(uvBottom * factor)};
}

std::string TAxisScale::FormatVoltLabel(float scaledSpan, float value) {
  const double s = scaledSpan;
  int decimals = 0;
  if (s <= 0.001) {
    decimals = 5;
  } else if (s <= 0.01) {
    decimals = 4;
  } else if (s <= 0.1) {
    decimals = 3;
  } else if (s <= 1) {
    decimals = 2;
  } else if (s <= 10) {
    decimals = 1;
  }
  return FormatFixed(value, decimals);
}

LabelTexts TAxisScale::CodeLabels() const {
  LabelTexts texts;
  for (int i = 0; i < 11; ++i) {
    const std::int64_t value = static_cast<std::int64_t>(CodeBottom) + CodeSpan -
                               (static_cast<std::int64_t>(i) * CodeSpan) / 10;
    texts[static_cast<std::size_t>(i)] = std::to_string(value);
  }
  return texts;
}

LabelTexts TAxisScale::CodeLabelsOf(double bottom, double span) {
  std::array<double, 11> values{};
  bool whole = true;
  for (int i = 0; i < 11; ++i) {
    values[static_cast<std::size_t>(i)] = bottom + span - i * span / 10;
    whole = whole && std::abs(values[static_cast<std::size_t>(i)] -
                              std::round(values[static_cast<std::size_t>(i)])) < 1e-6;
  }
  LabelTexts texts;
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = FormatFixed(values[i], whole ? 0 : 1);
  return texts;
}

LabelTexts TAxisScale::VoltLabels() const { return VoltLabelsOf(UVSpan, UVBottom); }

LabelTexts TAxisScale::VoltLabelsOf(float uvSpan, float uvBottom) {
  const VoltUnit unit = PickVoltUnit(uvSpan, uvBottom);
  const double s = unit.span;
  LabelTexts texts;
  for (int i = 0; i < 11; ++i) {
    const float value = static_cast<float>(unit.bottom + s - i * s * 0.1);
    std::string text = FormatVoltLabel(unit.span, value);
    if (i == 0 || i == 10) text += unit.unit;
    texts[static_cast<std::size_t>(i)] = std::move(text);
  }
  return texts;
}

LabelTexts TAxisScale::DefaultCodeLabels() {
  LabelTexts texts;
  for (int i = 0; i < 11; ++i)
    texts[static_cast<std::size_t>(i)] = std::to_string(kMidScaleCode - 10 * i);
  return texts;
}

LabelTexts TAxisScale::DefaultVoltLabels() const {
  LabelTexts texts;
  for (int i = 0; i < 11; ++i) {
    // 100 codes centred on zero input: the same conversion as CodeToMicrovolts.
    const float value = CodeToMicrovolts(kMidScaleCode + 50 - 10 * i);
    texts[static_cast<std::size_t>(i)] = FormatFixed(value, 2);
  }
  return texts;
}

std::int32_t TAxisScale::MaxCodeCh0() {
  const int n = HeldSamples(Ch0);
  if (n == 0) return 0;
  MaxCode0 = FindExtremes(Ch0.Codes, 0, n - 1).max;
  return MaxCode0;
}

std::int32_t TAxisScale::MinCodeCh0() {
  const int n = HeldSamples(Ch0);
  if (n == 0) return 0;
  MinCode0 = FindExtremes(Ch0.Codes, 0, n - 1).min;
  return MinCode0;
}

std::int32_t TAxisScale::MaxCodeCh1() {
  const int n = HeldSamples(Ch1);
  if (n == 0) return 0;
  MaxCode1 = FindExtremes(Ch1.Codes, 0, n - 1).max;
  return MaxCode1;
}

std::int32_t TAxisScale::MinCodeCh1() {
  const int n = HeldSamples(Ch1);
  if (n == 0) return 0;
  MinCode1 = FindExtremes(Ch1.Codes, 0, n - 1).min;
  return MinCode1;
}

float TAxisScale::MaxMicrovoltsCh0() {
  MaxCodeCh0();
  MaxUV0 = CodeToMicrovolts(MaxCode0);
  return MaxUV0;
}

float TAxisScale::MinMicrovoltsCh0() {
  MinCodeCh0();
  MinUV0 = CodeToMicrovolts(MinCode0);
  return MinUV0;
}

float TAxisScale::MaxMicrovoltsCh1() {
  MaxCodeCh1();
  MaxUV1 = CodeToMicrovolts(MaxCode1);
  return MaxUV1;
}

float TAxisScale::MinMicrovoltsCh1() {
  MinCodeCh1();
  MinUV1 = CodeToMicrovolts(MinCode1);
  return MinUV1;
}

}  // namespace velqoris
