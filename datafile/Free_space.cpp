#include "datafile/Free_space.h"

#include <filesystem>
#include <system_error>

#include "datafile/Utf8_path.h"

namespace velqoris {

std::optional<std::uint64_t> FreeSpaceFor(const std::string& path) {
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  std::error_code ec;
  const auto space = std::filesystem::space(folder.empty() ? "." : folder, ec);
  if (ec || space.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
  return static_cast<std::uint64_t>(space.available);
}

std::uint64_t DataFileBytes(std::int64_t count, int channels) {
  // Settings block and markers, then "16777215" CR LF per code ("," between two).
  constexpr std::uint64_t kHead = 160;
  const std::uint64_t line = channels == 2 ? 19 : 10;
  return kHead + static_cast<std::uint64_t>(count > 0 ? count : 0) * line;
}

std::uint64_t LogCsvBytes(std::int64_t rows, int channels) {
  // Settings lines and header; per row the sample number, time_s with 6
  // decimals, and per channel the code and microvolts with 9 digits.
  constexpr std::uint64_t kHead = 400;
  const std::uint64_t row = 24 + 26 * static_cast<std::uint64_t>(channels == 2 ? 2 : 1);
  return kHead + static_cast<std::uint64_t>(rows > 0 ? rows : 0) * row;
}

}  // namespace velqoris
