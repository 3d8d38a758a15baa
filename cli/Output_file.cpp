#include "cli/Output_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "datafile/Utf8_path.h"

namespace velqoris::cli {

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code same;
  const bool equivalent = std::filesystem::equivalent(PathFromUtf8(a), PathFromUtf8(b), same);
  if (!same) return equivalent;
  std::error_code ea;
  std::error_code eb;
  const auto pa = std::filesystem::weakly_canonical(PathFromUtf8(a), ea);
  const auto pb = std::filesystem::weakly_canonical(PathFromUtf8(b), eb);
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
  const std::filesystem::path name = PathFromUtf8(path);
  if (std::filesystem::exists(name, ec)) {
    // Appending nothing leaves the file as it is.
    std::ofstream probe(name, std::ios::binary | std::ios::app);
    return probe.is_open();
  }
  bool created = false;
  {
    std::ofstream probe(name, std::ios::binary | std::ios::trunc);
    created = probe.is_open();
  }
  if (created) std::filesystem::remove(name, ec);
  return created;
}

}  // namespace velqoris::cli
