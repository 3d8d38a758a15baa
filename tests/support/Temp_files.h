// Temporary directories and whole-file reads for tests that write files.
#pragma once

#include <string>
#include <vector>

namespace velqoris::testing {

// A fresh directory below the system's temporary directory, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

}  // namespace velqoris::testing
