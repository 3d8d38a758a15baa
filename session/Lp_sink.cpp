#include "session/Lp_sink.h"

#include <chrono>

namespace velqoris {

bool LpSink::Begin(const RunInfo& run) {
  const std::int64_t startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count();
  summaries_ = std::make_unique<SecondSummaries>(
      LineTags{serial_, run.settings.Gain, run.rate}, run.settings.CHSel != 1,
      run.settings.CHSel != 0, startNs, [this](const std::string& lines) { output_.Send(lines); });
  return true;
}

bool LpSink::Take(const Block& block) {
  summaries_->Take(block.Has(0) ? block.codes[0].data() : nullptr,
                   block.Has(1) ? block.codes[1].data() : nullptr, block.count);
  return true;
}

void LpSink::Gap(int, double seconds) { summaries_->Gap(seconds); }

bool LpSink::End(const RunResult&) {
  summaries_->Finish();
  return true;
}

}  // namespace velqoris
