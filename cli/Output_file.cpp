#include "cli/Output_file.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "datafile/Free_space.h"
#include "datafile/Replacing_file.h"
#include "datafile/Utf8_path.h"
#include "message/Message_text.h"

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

namespace {

std::string NotWritten(int error, const std::string& path, std::string_view kind) {
  if (!kind.empty()) return OutputNotWrittenMessage(kind, path, error);
  return FileFaultMessage({FileFault::Kind::NotWritten, error}, path) + ": " + path;
}

// errno of really opening for writing, so read-only file systems and special
// folders answer as the save would; 0 when it worked. Nothing is changed or left.
int ProbeWrite(const std::string& path, bool exists) {
  errno = 0;
  std::FILE* file = OpenUtf8(path, exists ? "ab" : "wb");
  if (file == nullptr) return errno != 0 ? errno : EACCES;
  std::fclose(file);
  if (!exists) {
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(path), ec);
  }
  return 0;
}

int ProcessId() {
#ifdef _WIN32
  return ::_getpid();
#else
  return static_cast<int>(::getpid());
#endif
}

}  // namespace

std::string OutputRefusal(const std::string& path, bool force, std::string_view kind) {
  std::error_code ec;
  const auto existing = std::filesystem::status(PathFromUtf8(path), ec);
  if (!ec && std::filesystem::exists(existing)) {
    if (std::filesystem::is_directory(existing)) return NotWritten(EISDIR, path, kind);
    if (!force)
      return "ファイル：" + path + "があります。上書きしませんでした (--force で上書きします)";
    const int error = ProbeWrite(path, true);
    return error == 0 ? std::string() : NotWritten(error, path, kind);
  }
  // The save writes a temporary file beside the new one: the folder must take it.
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  const std::string probe = Utf8FromPath(folder.empty() ? std::filesystem::path(".") : folder) +
                            "/.velqoris-probe-" + std::to_string(ProcessId());
  const int error = ProbeWrite(probe, false);
  return error == 0 ? std::string() : NotWritten(error, path, kind);
}

std::string SpaceRefusal(const std::string& path, std::uint64_t bytes) {
  const auto free = FreeSpaceFor(path);
  if (!free || *free >= bytes) return {};
  return SpaceShortMessage(path, bytes, *free);
}

bool OutputsAllowed(const std::vector<Output>& outputs, bool force, std::ostream& err) {
  for (const auto& [kind, path] : outputs) {
    if (path.empty()) continue;
    if (const std::string refusal = OutputRefusal(path, force, kind); !refusal.empty()) {
      err << refusal << '\n';
      return false;
    }
  }
  return true;
}

bool WriteOutputFile(std::string_view kind, const std::string& path, std::string_view bytes,
                     std::ostream& err) {
  const int error = ReplaceWholeFile(path, bytes);
  if (error == 0) return true;
  err << OutputNotWrittenMessage(kind, path, error) << '\n';
  return false;
}

}  // namespace velqoris::cli
