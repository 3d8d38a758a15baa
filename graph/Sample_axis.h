// The X axis of the main graph in sample numbers or in seconds: a sample's
// time is its index over the run's data rate, and the texts under the ends
// of the plot name the first and last visible position.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "records/Measure_settings.h"

namespace velqoris {

// Samples per second of the data's rate choice (the slowest for an unknown one).
double SamplesPerSecond(const MeasureSettings& settings);

// Seconds with enough decimals to tell neighbouring samples apart at that rate.
std::string SecondsText(double seconds, double rate);

// Left and right X label texts for positions first … first + span: one-based
// sample numbers, or seconds with the unit "s" on the right one.
std::pair<std::string, std::string> XAxisTexts(std::int64_t first, std::int64_t span, double rate,
                                               bool seconds);

}  // namespace velqoris
