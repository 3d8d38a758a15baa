// The extremes of a range of conversion codes, as the axis scaling, the
// status line and the noise figures take them.
#pragma once

#include <cstdint>

#include "records/Measure_settings.h"

namespace velqoris {

// An empty search leaves these values, so that nothing reads an unset one.
struct CodeExtremes {
  std::int32_t max = 0;
  std::int32_t min = kMaxCode;
};

// Codes first … last (inclusive). The search starts from the first of them,
// not from the converter's range: a file may hold codes outside it, and
// all-negative codes must not report a maximum of 0.
CodeExtremes FindExtremes(const std::int32_t* codes, int first, int last);

}  // namespace velqoris
