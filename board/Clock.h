// A monotonic clock that can be replaced: real time for the programs, virtual
// time advanced by a test, or real time running N times faster.
#pragma once

#include <chrono>
#include <cstdint>

namespace velqoris {

class Clock {
 public:
  using Duration = std::chrono::nanoseconds;
  virtual ~Clock() = default;
  // Time since an arbitrary start; never goes back.
  virtual Duration Now() const = 0;
};

class SteadyClock final : public Clock {
 public:
  explicit SteadyClock(double speed = 1.0)
      : start_(std::chrono::steady_clock::now()), speed_(speed) {}
  Duration Now() const override {
    auto real = std::chrono::steady_clock::now() - start_;
    return Duration(static_cast<std::int64_t>(static_cast<double>(real.count()) * speed_));
  }

 private:
  std::chrono::steady_clock::time_point start_;
  double speed_;
};

class ManualClock final : public Clock {
 public:
  Duration Now() const override { return now_; }
  void Advance(Duration d) { now_ += d; }

 private:
  Duration now_{0};
};

}  // namespace velqoris
