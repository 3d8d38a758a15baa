#include "tests/support/Temp_files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "datafile/Utf8_path.h"

namespace velqoris::testing {

TempDir::TempDir() {
  std::random_device random;
  std::error_code error;
  const auto base = std::filesystem::temp_directory_path(error);
  for (int attempt = 0; attempt < 100 && path_.empty() && !error; ++attempt) {
    const auto dir = base / ("velqoris-cli-" + std::to_string(random()));
    if (std::filesystem::create_directory(dir, error)) path_ = Utf8FromPath(dir);
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(PathFromUtf8(path_), ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace velqoris::testing
