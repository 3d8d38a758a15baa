#include "session/Running_stats.h"

#include <cmath>

namespace velqoris::cli {

void RunningStats::Add(std::int32_t code) {
  const double x = code;
  ++count_;
  if (count_ == 1) {
    max_ = code;
    min_ = code;
  } else {
    if (code > max_) max_ = code;
    if (code < min_) min_ = code;
  }
  const double delta = x - mean_;
  mean_ += delta / static_cast<double>(count_);
  m2_ += delta * (x - mean_);
}

double RunningStats::Deviation() const {
  if (count_ < 2) return 0.0;
  return std::sqrt(m2_ / static_cast<double>(count_));
}

}  // namespace velqoris::cli
