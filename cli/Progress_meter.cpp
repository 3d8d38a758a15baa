#include "cli/Progress_meter.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
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
  Update(n, target, code0, code1, std::string());
}

void ProgressMeter::Update(std::int64_t n, std::int64_t target, std::int32_t code0,
                           std::optional<std::int32_t> code1, const std::string& timeLeft) {
  const auto sampleNumber = static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
  std::string text =
      code1 ? Sample2Text(sampleNumber, code0, *code1) : SampleText(sampleNumber, code0);
  if (!timeLeft.empty()) text += "  " + timeLeft;
  if (terminal_) text = std::to_string(n) + '/' + std::to_string(target) + "  " + text;
  UpdateText(n, target, text);
}

void ProgressMeter::UpdateText(std::int64_t done, std::int64_t total, const std::string& text) {
  const Clock::Duration now = clock_.Now();
  const Clock::Duration interval = terminal_ ? Clock::Duration(kBarInterval) : kLogInterval;
  if (last_ && now - *last_ < interval) return;
  last_ = now;
  if (!terminal_) {
    out_ << text << '\n' << std::flush;
    return;
  }
  const int filled =
      total > 0 ? static_cast<int>(std::clamp<std::int64_t>(done * kBarWidth / total, 0, kBarWidth))
                : 0;
  out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] " << text << "\x1b[K"
       << std::flush;
  barShown_ = true;
}

void ProgressMeter::Finish() {
  if (barShown_) out_ << '\n' << std::flush;
  barShown_ = false;
}

void ProgressMeter::Clear() {
  if (barShown_) out_ << "\r\x1b[K" << std::flush;
  barShown_ = false;
  last_.reset();
}

}  // namespace velqoris::cli
