#include "session/H5_sink.h"

namespace velqoris {

bool H5Sink::Take(const Block& block) {
  if (gap_) {
    gap_->firstSample = block.first;
    gap_->startSeconds = block.segmentSeconds;
    writer_.Gap(board_, *gap_);
    gap_.reset();
  }
  writer_.Append(board_, block.Has(0) ? block.codes[0].data() : nullptr,
                 block.Has(1) ? block.codes[1].data() : nullptr, block.count);
  writer_.FlushIfDue(clock_.Now());
  return !writer_.Failed();
}

void H5Sink::Gap(int startCommand, double seconds) {
  gap_ = h5log::H5Gap{0, startCommand, seconds, 0.0};
}

std::string H5WriteFailure(const std::string& path) {
  return "HDF5 ファイルに書き込めませんでした: " + path;
}

}  // namespace velqoris
