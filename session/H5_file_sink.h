// A one-board HDF5 log as a run's sink (the window's recording): the file is
// created with the run's header once the board has started, fed through
// H5Sink like a board group of `velqoris-cli log --h5`, and closed at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "board/Clock.h"
#include "h5log/H5_log_writer.h"
#include "records/Measure_settings.h"
#include "session/H5_sink.h"
#include "session/Sink.h"

namespace velqoris {

class H5FileSink final : public Sink {
 public:
  H5FileSink(std::string path, std::string serial, const Clock& clock)
      : path_(std::move(path)), serial_(std::move(serial)), clock_(clock) {}

  bool Begin(const RunInfo& run) override;
  bool Take(const Block& block) override;
  void Gap(int startCommand, double seconds) override;
  bool End(const RunResult& result) override;
  std::string Failure() const override;

  // Rows that reached the file (after End: every row taken, unless it failed).
  std::int64_t RowsInFile() const;

 private:
  std::string path_;
  std::string serial_;
  const Clock& clock_;
  h5log::H5LogWriter writer_;
  std::optional<H5Sink> sink_;  // from Begin to End
  std::int64_t closedRows_ = 0;
};

// Makes the file a log with these settings and no rows yet; false (errno
// kept) when it cannot be written.
bool CreateEmptyH5Log(const std::string& path, const MeasureSettings& settings,
                      const std::string& serial);

}  // namespace velqoris
