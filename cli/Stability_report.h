// The stability figures for the tool's output: per channel as Japanese text
// (the rows the window's stability page shows, and the Allan table), as one
// JSON object with fixed keys (null where a figure does not exist), or as the
// Allan deviation table in CSV.
#pragma once

#include <string>
#include <vector>

#include "analysis/Stability_analysis.h"

namespace velqoris::cli {

std::string StabilityText(const std::vector<analysis::StabilityAnalysis>& channels);
std::string StabilityJson(const std::vector<analysis::StabilityAnalysis>& channels);
std::string StabilityChannelJson(const analysis::StabilityAnalysis& channel);
std::string AllanCsv(const std::vector<analysis::StabilityAnalysis>& channels);

// The Allan CSV's columns, as its first line.
inline constexpr const char* kAllanCsvColumns =
    "channel,tau_s,adev_codes,adev_low_codes,adev_high_codes,adev_uV,adev_nV,adev_low_nV,"
    "adev_high_nV,terms,edf,noise_alpha";

}  // namespace velqoris::cli
