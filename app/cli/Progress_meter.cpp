#include "app/cli/Progress_meter.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "status/Status_text.h"

namespace velqoris::cli {

namespace {

constexpr int kBarWidth = 40;
constexpr auto kBarInterval = std::chrono::milliseconds(100);
constexpr auto kLogInterval = std::chrono::seconds(1);

}  // namespace

ProgressMeter::ProgressMeter(std::ostream& out, bool terminal, const Clock& clock)
    : out_(out), terminal_(terminal), clock_(clock) {}

void ProgressMeter::Update(std::int32_t n, std::int32_t target, std::int32_t code0,
                           std::optional<std::int32_t> code1) {
  const Clock::Duration now = clock_.Now();
  const Clock::Duration interval = terminal_ ? Clock::Duration(kBarInterval) : kLogInterval;
  if (last_ && now - *last_ < interval) return;
  last_ = now;
  const std::string sample = code1 ? Sample2Text(n, code0, *code1) : SampleText(n, code0);
  if (!terminal_) {
    out_ << sample << '\n' << std::flush;
    return;
  }
  const int filled = target > 0
                         ? static_cast<int>(std::clamp<std::int64_t>(
                               static_cast<std::int64_t>(n) * kBarWidth / target, 0, kBarWidth))
                         : 0;
  out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] " << n << '/'
       << target << "  " << sample << "\x1b[K" << std::flush;
  barShown_ = true;
}

void ProgressMeter::Finish() {
  if (barShown_) out_ << '\n' << std::flush;
  barShown_ = false;
}

}  // namespace velqoris::cli
