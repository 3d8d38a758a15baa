#include "tests/support/Temp_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velqoris::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velqoris-cli-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
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
