#include "session/Csv_log.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

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
  rowsInFile_ = 0;
  stats_[0] = stats_[1] = RunningStats{};
  pending_.clear();
  rows_.clear();
  if (!file_.Create(path)) {
    failed_ = true;
    return false;
  }
  ch0_ = ch0;
  ch1_ = ch1;
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
  if (!file_.IsOpen()) return;  // never opened: a log without its CSV keeps no rows
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
  rows_.push_back({pending_.size(), {code0, code1}});
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
  if (!file_.IsOpen()) return false;
  // After a failed write nothing more goes in: rows after a hole would pass for a
  // log without one.
  if (failed_) {
    pending_.clear();
    rows_.clear();
  }
  if (!pending_.empty()) {
    const std::size_t kept = file_.Append(pending_);
    if (kept != pending_.size()) failed_ = true;
    // Only the rows that are in the file count, in number and in statistics.
    for (const RowMark& row : rows_) {
      if (row.end > kept) break;
      ++rowsInFile_;
      if (ch0_) stats_[0].Add(row.code[0]);
      if (ch1_) stats_[1].Add(row.code[1]);
    }
    pending_.clear();
    rows_.clear();
  }
  return !failed_;
}

bool CsvLog::Finish(const std::string& endNote) {
  if (!file_.IsOpen()) return false;
  Flush();
  // Written after a failure too: a cut-back row may have left room for it. A
  // line that does not fit is taken out again whole.
  file_.Append("# " + endNote + '\n');
  return Close();
}

bool CsvLog::Close() {
  if (!file_.IsOpen()) return !failed_;
  Flush();
  if (!file_.Close()) failed_ = true;
  return !failed_;
}

}  // namespace velqoris
