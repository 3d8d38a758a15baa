// Progress of a run on the error stream: a bar redrawn in place on a
// terminal, else the status bar's sample text at most once a second, so a
// log stays short.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>

#include "board/Clock.h"

namespace velqoris::cli {

class ProgressMeter {
 public:
  ProgressMeter(std::ostream& out, bool terminal, const Clock& clock);

  // n results of target are in; code1 only for two-channel runs.
  void Update(std::int32_t n, std::int32_t target, std::int32_t code0,
              std::optional<std::int32_t> code1);
  // Ends the bar's line; nothing for a log.
  void Finish();

 private:
  std::ostream& out_;
  bool terminal_;
  const Clock& clock_;
  std::optional<Clock::Duration> last_;
  bool barShown_ = false;
};

}  // namespace velqoris::cli
