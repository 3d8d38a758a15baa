#include "session/Run_history.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "datafile/Myfile.h"
#include "datafile/User_data_folder.h"
#include "datafile/Utf8_path.h"
#include "session/Log_header.h"
#include "session/Run_data.h"
#include "session/Run_file.h"

namespace velqoris {

namespace fs = std::filesystem;

RunHistory::RunHistory(std::string folder, int maxRuns, std::uintmax_t maxBytes)
    : folder_(std::move(folder)), maxRuns_(maxRuns), maxBytes_(maxBytes) {}

std::string RunHistory::DefaultFolder() {
  const std::string base = UserDataFolder();
  return base.empty() ? std::string() : Utf8FromPath(PathFromUtf8(base) / "history");
}

std::string RunHistory::NameFor(std::chrono::system_clock::time_point at) {
  const std::tm local = LocalTime(at);
  char name[32];
  std::strftime(name, sizeof name, "%Y-%m-%d_%H-%M-%S", &local);
  return std::string(name) + kDataExtension;
}

std::string RunHistory::Keep(RunData& data, std::chrono::system_clock::time_point endedAt) {
  fault_ = {};
  if (!data.HasData()) return {};
  if (folder_.empty()) {
    fault_ = {FileFault::Kind::NotWritten, ENOENT};
    return {};
  }
  std::error_code error;
  fs::create_directories(PathFromUtf8(folder_), error);
  if (error) {
    fault_ = {FileFault::Kind::NotWritten, error.value()};
    return {};
  }
  const std::string name = NameFor(endedAt);
  const std::string stem = name.substr(0, name.size() - std::string(kDataExtension).size());
  fs::path path = PathFromUtf8(folder_) / name;
  for (int n = 2; fs::exists(path, error) && n < 1000; ++n)
    path = PathFromUtf8(folder_) / (stem + "_" + std::to_string(n) + kDataExtension);
  // Never a question: the name is new, and nothing is asked of the user here.
  TmyFile file([](const std::string&) { return false; });
  if (!SaveRun(file, Utf8FromPath(path), data)) {
    fault_ = file.LastFault();
    return {};
  }
  Prune(Utf8FromPath(path));
  return Utf8FromPath(path);
}

// Names sort by time, so the first ones are the oldest.
void RunHistory::Prune(const std::string& keep) {
  struct Entry {
    fs::path path;
    std::uintmax_t bytes;
  };
  std::vector<Entry> entries;
  std::uintmax_t total = 0;
  std::error_code error;
  for (const auto& item : fs::directory_iterator(PathFromUtf8(folder_), error)) {
    if (!item.is_regular_file(error) || item.path().extension() != kDataExtension) continue;
    const std::uintmax_t bytes = item.file_size(error);
    if (error) continue;
    entries.push_back({item.path(), bytes});
    total += bytes;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.path.filename() < b.path.filename(); });
  std::size_t count = entries.size();
  for (const Entry& entry : entries) {
    if (count <= static_cast<std::size_t>(maxRuns_) && total <= maxBytes_) break;
    if (entry.path == PathFromUtf8(keep)) continue;
    if (fs::remove(entry.path, error)) {
      --count;
      total -= entry.bytes;
    }
  }
}

}  // namespace velqoris
