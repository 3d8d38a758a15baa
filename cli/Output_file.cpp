#include "cli/Output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "message/Message_text.h"

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

namespace {

std::string NotWritten(int error, const std::string& path) {
  return FileFaultMessage({FileFault::Kind::NotWritten, error}, path) + ": " + path;
}

// errno of really opening for writing, so read-only file systems and special
// folders answer as the save would; 0 when it worked. Nothing is changed or left.
int ProbeWrite(const std::string& path, bool exists) {
  const int fd = exists ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)
                        : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  ::close(fd);
  if (!exists) ::unlink(path.c_str());
  return 0;
}

}  // namespace

std::string OutputRefusal(const std::string& path, bool force) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return NotWritten(EISDIR, path);
    if (!force)
      return "ファイル：" + path + "があります。上書きしませんでした (--force で上書きします)";
    const int error = ProbeWrite(path, true);
    return error == 0 ? std::string() : NotWritten(error, path);
  }
  // The save writes a temporary file beside the new one: the folder must take it.
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const std::string probe = (folder.empty() ? std::filesystem::path(".") : folder).string() +
                            "/.velqoris-probe-" + std::to_string(::getpid());
  const int error = ProbeWrite(probe, false);
  return error == 0 ? std::string() : NotWritten(error, path);
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
