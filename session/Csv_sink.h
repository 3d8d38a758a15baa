// The log's CSV file (session/Csv_log) as a run's sink: the settings lines
// and the header once the board has started, a row per result, a note line
// per gap between chained start commands, written out as Csv_log says and
// closed at the end with the line that says how the run ended (Log_end). A
// write that fails (a full disk) fails the sink; the file keeps whole rows.
#pragma once

#include <string>

#include "board/Clock.h"
#include "session/Csv_log.h"
#include "session/Sink.h"

namespace velqoris {

class CsvSink final : public Sink {
 public:
  CsvSink(std::string path, const Clock& clock) : path_(std::move(path)), clock_(clock) {}

  bool Begin(const RunInfo& run) override;
  bool Take(const Block& block) override;
  void Gap(int startCommand, double seconds) override;
  bool End(const RunResult& result) override;
  // "CSV ファイルに書き込めませんでした: ", the path and the system's reason.
  std::string Failure() const override;

  const std::string& Path() const { return path_; }
  // Some write failed, now or at the end.
  bool Failed() const { return csv_.Failed(); }
  std::size_t MaxPending() const { return csv_.MaxPending(); }
  // Rows that reached the file, and the statistics of their codes.
  std::int64_t RowsInFile() const { return csv_.RowsInFile(); }
  const RunningStats& Stats(int channel) const { return csv_.Stats(channel); }

 private:
  std::string path_;
  const Clock& clock_;
  CsvLog csv_;
  std::int32_t gain_ = 1;
};

}  // namespace velqoris
