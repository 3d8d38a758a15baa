// The stability figures as Japanese rows (label, value, unit), worded once
// for the command-line tool and the analysis window's stability page.
#pragma once

#include <string>
#include <vector>

#include "analysis/Figure_rows.h"
#include "analysis/Stability_analysis.h"

namespace velqoris::analysis {

std::vector<FigureRow> StabilityFigureRows(const StabilityAnalysis& analysis);
// One row per averaging time: τ, deviation, terms and error bar.
std::vector<FigureRow> AllanTableRows(const StabilityAnalysis& analysis);

inline constexpr const char* kNoCornerText = "なし";

// The noise type of a power-law exponent α (density ∝ f^α), in Japanese.
std::string NoiseTypeName(int alpha);

}  // namespace velqoris::analysis
