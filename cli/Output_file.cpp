#include "cli/Output_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace velqoris::cli {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  std::error_code ea;
  std::error_code eb;
  const auto pa = std::filesystem::weakly_canonical(a, ea);
  const auto pb = std::filesystem::weakly_canonical(b, eb);
  if (ea || eb) return a == b;
  return pa == pb;
}

bool OutputsSpareInput(const std::string& input, const std::vector<std::string>& outputs,
                       std::ostream& err) {
  for (const std::string& out : outputs) {
    if (!out.empty() && SameFile(input, out)) {
      err << "出力ファイルが入力ファイルと同じです (入力ファイルを上書きしません): " << out << '\n';
      return false;
    }
  }
  return true;
}

bool CanWrite(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    // Appending nothing leaves the file as it is.
    std::ofstream probe(path, std::ios::binary | std::ios::app);
    return probe.is_open();
  }
  bool created = false;
  {
    std::ofstream probe(path, std::ios::binary | std::ios::trunc);
    created = probe.is_open();
  }
  if (created) std::remove(path.c_str());
  return created;
}

}  // namespace velqoris::cli
