// Writes data file lines, each ended by CR LF on every platform, gathering
// them into large writes. The first failed write fails every later call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "datafile/Replacing_file.h"

namespace velqoris {

class LineWriter {
 public:
  static constexpr int kNoLineLimit = -1;

  // lineLimit >= 0 lets only that many lines succeed, as a disk that fills up
  // would; it exists for tests of the failure path.
  explicit LineWriter(ReplacingFile& file, int lineLimit = kNoLineLimit);

  bool Line(std::string_view text);
  bool Line(std::string_view key, std::int32_t value);
  bool Line(std::int32_t value);
  bool Line(std::int32_t first, char separator, std::int32_t second);
  // Writes what is gathered; false when any line failed.
  bool Finish();

 private:
  bool Begin();
  bool End();
  void Append(std::int32_t value);

  ReplacingFile& file_;
  int lineLimit_;
  int lines_ = 0;
  bool ok_ = true;
  std::string pending_;
};

}  // namespace velqoris
