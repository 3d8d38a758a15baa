#include "session/History_record.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "datafile/Regular_file.h"
#include "datafile/Replacing_file.h"
#include "datafile/Utf8_path.h"

namespace velqoris {

namespace fs = std::filesystem;

namespace {

// A record far longer than the runs it can hold is not read past this.
constexpr std::size_t kMaxRecordBytes = 1 << 20;
constexpr std::size_t kStemSize = 19;  // YYYY-MM-DD_HH-MM-SS

bool Digits(const std::string& s, std::size_t from, std::size_t to) {
  if (from >= to) return false;
  for (std::size_t i = from; i < to; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

// The number after the stem: 1 for the plain name, N for "_N".
int Suffix(const std::string& name, const std::string& stem, const std::string& extension) {
  if (!name.starts_with(stem) || !name.ends_with(extension)) return 0;
  const std::size_t end = name.size() - extension.size();
  if (end == stem.size()) return 1;
  if (name[stem.size()] != '_' || !Digits(name, stem.size() + 1, end) || end - stem.size() > 7)
    return 0;
  return std::stoi(name.substr(stem.size() + 1, end - stem.size() - 1));
}

}  // namespace

HistoryRecord::HistoryRecord(std::string folder) : folder_(std::move(folder)) {}

bool HistoryRecord::RunName(const std::string& name, const std::string& extension) {
  if (name.size() < kStemSize + extension.size() || !name.ends_with(extension)) return false;
  const std::string pattern = "dddd-dd-dd_dd-dd-dd";
  for (std::size_t i = 0; i < kStemSize; ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (pattern[i] == 'd' ? !digit : name[i] != pattern[i]) return false;
  }
  const std::size_t end = name.size() - extension.size();
  return end == kStemSize || (name[kStemSize] == '_' && Digits(name, kStemSize + 1, end));
}

void HistoryRecord::Load() {
  names_.clear();
  const fs::path folder = PathFromUtf8(folder_);
  std::error_code ec;
  const OpenedFile record = OpenRegularFile(Utf8FromPath(folder / kFileName));
  if (record.stream != nullptr) {
    std::string text(std::min<std::uint64_t>(record.size, kMaxRecordBytes), '\0');
    text.resize(std::fread(text.data(), 1, text.size(), record.stream));
    std::fclose(record.stream);
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string name = text.substr(start, end - start);
      if (!name.empty() && name.back() == '\r') name.pop_back();
      start = end + 1;
      // Only plain names of this folder, and only files still there.
      if (name.empty() || name.find_first_of("/\\") != std::string::npos || name[0] == '.')
        continue;
      if (fs::is_regular_file(folder / PathFromUtf8(name), ec) &&
          std::find(names_.begin(), names_.end(), name) == names_.end())
        names_.push_back(std::move(name));
    }
    return;
  }
  // No record yet: the runs an earlier version wrote, by the time they were written.
  std::vector<std::pair<fs::file_time_type, std::string>> found;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    const std::string name = Utf8FromPath(item.path().filename());
    if (!item.is_regular_file(ec) || !RunName(name, ".DTA")) continue;
    found.emplace_back(item.last_write_time(ec), name);
  }
  std::sort(found.begin(), found.end());
  for (auto& [time, name] : found) names_.push_back(std::move(name));
}

int HistoryRecord::Save() const {
  std::string text;
  for (const std::string& name : names_) text += name + '\n';
  return ReplaceWholeFile(Utf8FromPath(PathFromUtf8(folder_) / kFileName), text);
}

std::string HistoryRecord::NewName(const std::string& stem, const std::string& extension) const {
  const fs::path folder = PathFromUtf8(folder_);
  int highest = 0;
  for (const std::string& name : names_) highest = std::max(highest, Suffix(name, stem, extension));
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    highest = std::max(highest, Suffix(Utf8FromPath(item.path().filename()), stem, extension));
  }
  for (int n = highest + 1;; ++n) {
    const std::string name = n == 1 ? stem + extension : stem + "_" + std::to_string(n) + extension;
    if (!fs::exists(folder / PathFromUtf8(name), ec)) return name;
  }
}

}  // namespace velqoris
