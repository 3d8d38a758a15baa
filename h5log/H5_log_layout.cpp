#include "h5log/H5_log_layout.h"

#include <algorithm>
#include <cmath>

namespace velqoris::h5log {

std::string BoardGroupName(int board) { return "board" + std::to_string(board); }

std::int64_t ChunkRows(double rateSps) {
  // A quarter second: each flush rewrites only the last, part-filled chunk,
  // and the space of its earlier version is not reused while the file is open.
  return std::clamp<std::int64_t>(std::llround(rateSps / 4), 256, 16384);
}

}  // namespace velqoris::h5log
