// What a log's rows must satisfy before its figures can be believed: time
// that only goes forward, a stated rate that time_s confirms, a gain the board
// has. Without a stated gain, the gain comes from all rows' codes and µV by
// least squares. A fault is refused with what contradicts what; the text of
// a fault is made by LogFaultText, once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velqoris {

struct LogFault {
  enum class Kind {
    kNone,
    kTimeBackwards,  // time_s smaller than the row before's
    kTimeRepeated,   // time_s equal to the row before's
    kRateMismatch,   // the settings lines' rate against time_s
    kUnknownGain,    // a stated gain the board does not have
  };
  Kind kind = Kind::kNone;
  std::int64_t line = 0;  // the row whose time does not follow
  double stated = 0.0;    // the stated rate or gain
  double found = 0.0;     // the rate from time_s, or the time of the row before
  double seconds = 0.0;   // the row's time
};

// A stated rate is believed when time_s agrees within this fraction.
inline constexpr double kRateTolerance = 0.005;
// A gain from the rows is taken when a gain of the table lies within this fraction.
inline constexpr double kGainTolerance = 0.001;

class LogChecks {
 public:
  // A row's time after the row before's (previous absent for the first row):
  // false, with the fault kept, when it goes back or repeats.
  bool TimeFollows(std::optional<double> previous, double seconds, std::int64_t line);
  // A row's code and µV, for the gain when the settings lines give none.
  void CodeAndMicrovolts(std::int32_t code, double microvolts);
  // The rows another LogChecks saw (a later part of the same file); its
  // fault, if any, with its line moved on by `lines`.
  void Join(const LogChecks& later, std::int64_t lines);

  // After the last row: the stated rate against the rate time_s gives, the
  // stated gain against the board's table. False, with the fault kept, when
  // one contradicts.
  bool RateAgrees(double stated, std::optional<double> fromTime);
  bool GainListed(int stated);
  // The gain that all rows' µV give (µV = offset × 2.5e6 / 8388607 / gain,
  // least squares through zero), when a gain of the table lies within 0.1 %.
  std::optional<int> GainFromRows() const;

  const LogFault& Fault() const { return fault_; }
  bool Failed() const { return fault_.kind != LogFault::Kind::kNone; }

 private:
  LogFault fault_;
  double offsetSquares_ = 0.0;          // Σ offset²
  double offsetTimesMicrovolts_ = 0.0;  // Σ offset × µV
};

// The Japanese text of a fault (without the file's name).
std::string LogFaultText(const LogFault& fault);

}  // namespace velqoris
