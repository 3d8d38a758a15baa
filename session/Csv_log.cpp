#include "session/Csv_log.h"
#include "datafile/Utf8_path.h"

#include <algorithm>
#include <charconv>

namespace velqoris {

namespace {

void Append(std::string& s, std::int64_t value) {
  char text[24];
  const auto r = std::to_chars(text, text + sizeof text, value);
  s.append(text, r.ptr);
}

void AppendFormat(std::string& s, const char* format, double value) {
  char text[40];
  const int n = std::snprintf(text, sizeof text, format, value);
  if (n > 0) s.append(text, static_cast<std::size_t>(std::min<int>(n, sizeof text - 1)));
}

}  // namespace

CsvLog::~CsvLog() { Close(); }

bool CsvLog::Open(const std::string& path, bool ch0, bool ch1, Clock::Duration now,
                  const std::vector<std::string>& settings) {
  Close();
  failed_ = false;
  file_ = OpenUtf8(path, "wb");
  if (file_ == nullptr) {
    failed_ = true;
    return false;
  }
  // Unbuffered: each flush is one write of whole rows, nothing waits in stdio.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  ch0_ = ch0;
  ch1_ = ch1;
  pending_.clear();
  for (const std::string& line : settings) pending_ += "# " + line + '\n';
  pending_ += "sample,time_s";
  if (ch0_) pending_ += ",ch0_code,ch0_uV";
  if (ch1_) pending_ += ",ch1_code,ch1_uV";
  pending_ += '\n';
  lastFlush_ = now;
  return Flush();
}

void CsvLog::Row(std::int64_t sample, double seconds, std::int32_t code0, float uv0,
                 std::int32_t code1, float uv1) {
  if (file_ == nullptr) return;  // never opened: a log without its CSV keeps no rows
  Append(pending_, sample);
  AppendFormat(pending_, ",%.6f", seconds);
  // 9 significant digits give the stored float32 back exactly, as export writes them.
  if (ch0_) {
    pending_ += ',';
    Append(pending_, code0);
    AppendFormat(pending_, ",%.9g", static_cast<double>(uv0));
  }
  if (ch1_) {
    pending_ += ',';
    Append(pending_, code1);
    AppendFormat(pending_, ",%.9g", static_cast<double>(uv1));
  }
  pending_ += '\n';
  maxPending_ = std::max(maxPending_, pending_.size());
  if (pending_.size() >= kFlushBytes) Flush();
}

void CsvLog::Note(const std::string& text) {
  pending_ += "# ";
  pending_ += text;
  pending_ += '\n';
}

void CsvLog::FlushIfDue(Clock::Duration now) {
  if (now - lastFlush_ < kFlushInterval) return;
  lastFlush_ = now;
  Flush();
}

bool CsvLog::Flush() {
  if (file_ == nullptr) return false;
  if (!pending_.empty()) {
    const std::size_t written = std::fwrite(pending_.data(), 1, pending_.size(), file_);
    if (written != pending_.size()) failed_ = true;
    pending_.clear();
  }
  if (std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

bool CsvLog::Close() {
  if (file_ == nullptr) return !failed_;
  Flush();
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

}  // namespace velqoris
