// The figures as Japanese rows (label, value, unit): worded once here, shown
// by the command-line tool and by the analysis window's tables.
#pragma once

#include <string>
#include <vector>

#include "analysis/Noise_figures.h"
#include "analysis/Spectrum.h"
#include "analysis/Spectrum_figures.h"

namespace velqoris::analysis {

struct FigureRow {
  std::string label;
  std::string value;  // "—" when the figure does not exist
  std::string unit;
};

inline constexpr const char* kAbsentValue = "—";
inline constexpr const char* kNoNoiseText = "24 以上";
inline constexpr const char* kOverRangeText = "入力範囲外";
inline constexpr const char* kOverRangeNote =
    "入力が範囲を超えています (0 または 16777215 のコードがあります)";

inline constexpr const char* kSpectrumOverRangeNote =
    "入力が範囲外です (0 または 16777215 のコードがあります: 信号と歪みの値は出しません)";

// v with that many decimals, as printf's "%.*f" gives it: the figures' and
// the tool's numbers.
std::string Fixed(double v, int decimals);

// "CH0" / "CH1".
std::string ChannelName(int channel);

std::vector<FigureRow> NoiseFigureRows(const NoiseFigures& figures);
std::vector<FigureRow> SpectrumFigureRows(const Spectrum& spectrum, const SpectrumFigures& figures);

// Rows as aligned text lines, "label  value unit", for a terminal.
std::vector<std::string> RowLines(const std::vector<FigureRow>& rows);

}  // namespace velqoris::analysis
