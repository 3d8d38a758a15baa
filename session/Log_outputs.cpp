#include "session/Log_outputs.h"

#ifdef VELQORIS_HAVE_HDF5
#include "h5log/H5_log_writer.h"
#endif

namespace velqoris {

void LogOutputs::Take(const std::int32_t* codes0, const std::int32_t* codes1, int count) {
  // A gap is measured when its start command goes out, before its first block.
  const bool newGap = log_.Gaps().size() > gapsSeen_;
  gapsSeen_ = log_.Gaps().size();
  if (summaries_ != nullptr) {
    if (newGap) summaries_->Gap(log_.Gaps().back());
    summaries_->Take(codes0, codes1, count);
  }
#ifdef VELQORIS_HAVE_HDF5
  if (h5_ == nullptr) return;
  if (newGap) {
    h5_->Gap(board_, {log_.Written() - count, log_.StartCommands(), log_.Gaps().back(),
                      log_.SegmentStartSeconds()});
  }
  h5_->Append(board_, codes0, codes1, count);
  h5_->FlushIfDue(clock_.Now());
#else
  (void)board_;
  (void)clock_;
#endif
}

}  // namespace velqoris
