// Progress of a run on the error stream: a bar redrawn in place on a
// terminal, else the status bar's sample text at most once a second, so a
// log stays short.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "board/Clock.h"

namespace velqoris::cli {

class ProgressMeter {
 public:
  ProgressMeter(std::ostream& out, bool terminal, const Clock& clock);

  // n results of target are in; code1 only for two-channel runs.
  void Update(std::int32_t n, std::int32_t target, std::int32_t code0,
              std::optional<std::int32_t> code1);
  // The same with the time left after the sample text (long logs).
  void Update(std::int64_t n, std::int64_t target, std::int32_t code0,
              std::optional<std::int32_t> code1, const std::string& timeLeft);
  // Any progress: the bar at done/total with text after it, or the text alone.
  void UpdateText(std::int64_t done, std::int64_t total, const std::string& text);
  // Ends the bar's line; nothing for a log.
  void Finish();
  // Wipes the bar from its line, so other output can take the line.
  void Clear();

 private:
  std::ostream& out_;
  bool terminal_;
  const Clock& clock_;
  std::optional<Clock::Duration> last_;
  bool barShown_ = false;
};

}  // namespace velqoris::cli
