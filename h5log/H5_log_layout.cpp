#include "h5log/H5_log_layout.h"

#include <algorithm>
#include <cmath>

namespace velqoris::h5log {

std::string BoardGroupName(int board) { return "board" + std::to_string(board); }

std::int64_t ChunkRows(double rateSps) {
  return std::clamp<std::int64_t>(std::llround(rateSps), 256, 16384);
}

}  // namespace velqoris::h5log
