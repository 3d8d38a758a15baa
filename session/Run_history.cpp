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
#include "session/History_record.h"
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
  HistoryRecord record(folder_);
  record.Load();
  const std::string name = NameFor(endedAt);
  const std::string stem = name.substr(0, name.size() - std::string(kDataExtension).size());
  const fs::path path = PathFromUtf8(folder_) / record.NewName(stem, kDataExtension);
  // Never a question: the name is new, and nothing is asked of the user here.
  TmyFile file([](const std::string&) { return false; });
  if (!SaveRun(file, Utf8FromPath(path), data)) {
    fault_ = file.LastFault();
    return {};
  }
  record.Add(Utf8FromPath(path.filename()));
  Prune(record);
  // A record that cannot be written costs only the rotation of this run.
  record.Save();
  return Utf8FromPath(path);
}

// The oldest written first, and only runs of the record; the one just kept stays.
void RunHistory::Prune(HistoryRecord& record) {
  const fs::path folder = PathFromUtf8(folder_);
  std::error_code error;
  std::vector<std::uintmax_t> bytes;
  std::uintmax_t total = 0;
  for (const std::string& name : record.Names()) {
    bytes.push_back(fs::file_size(folder / PathFromUtf8(name), error));
    if (error) bytes.back() = 0;
    total += bytes.back();
  }
  std::size_t first = 0;
  while (record.Names().size() > 1 &&
         (record.Names().size() > static_cast<std::size_t>(maxRuns_) || total > maxBytes_)) {
    if (!fs::remove(folder / PathFromUtf8(record.Names().front()), error) && error) break;
    total -= bytes[first++];
    record.RemoveFirst();
  }
}

}  // namespace velqoris
