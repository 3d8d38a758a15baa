// Mean, deviation and extremes of one channel's codes, updated one result at
// a time (Welford's method): no result is kept, so a log of any length needs
// the same memory, and the deviation stays exact where summing squares of
// 24-bit codes over millions of results would cancel.
#pragma once

#include <cstdint>

namespace velqoris::cli {

class RunningStats {
 public:
  void Add(std::int32_t code);

  std::int64_t Count() const { return count_; }
  double Mean() const { return mean_; }
  // Population form (divided by N), as the status line's deviation; 0 below two results.
  double Deviation() const;
  std::int32_t Max() const { return max_; }
  std::int32_t Min() const { return min_; }

 private:
  std::int64_t count_ = 0;
  double mean_ = 0.0;
  double m2_ = 0.0;  // sum of squared differences from the running mean
  std::int32_t max_ = 0;
  std::int32_t min_ = 0;
};

}  // namespace velqoris::cli
