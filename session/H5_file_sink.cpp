#include "session/H5_file_sink.h"

#include <chrono>

#include "session/H5_log_file.h"
#include "status/Status_text.h"

namespace velqoris {

bool H5FileSink::Begin(const RunInfo& run) {
  // The first start command has just gone out: the host's clock says when.
  const h5log::H5BoardHeader header =
      H5HeaderOf(run.settings, serial_, PairText(run.boardName, run.boardVersion),
                 std::chrono::system_clock::now());
  if (!writer_.Create(path_, VELQORIS_VERSION, {header})) return false;
  sink_.emplace(writer_, 0, path_, clock_);
  return true;
}

bool H5FileSink::Take(const Block& block) { return sink_ && sink_->Take(block); }

void H5FileSink::Gap(int startCommand, double seconds) {
  if (sink_) sink_->Gap(startCommand, seconds);
}

bool H5FileSink::End(const RunResult&) {
  if (!sink_) return true;
  const bool flushed = writer_.Flush();
  closedRows_ = writer_.Rows(0);
  const bool closed = writer_.Close();
  sink_.reset();
  return flushed && closed;
}

std::string H5FileSink::Failure() const { return H5WriteFailure(path_); }

std::int64_t H5FileSink::RowsInFile() const { return sink_ ? writer_.Rows(0) : closedRows_; }

bool CreateEmptyH5Log(const std::string& path, const MeasureSettings& settings,
                      const std::string& serial) {
  h5log::H5LogWriter writer;
  return writer.Create(path, VELQORIS_VERSION,
                       {H5HeaderOf(settings, serial, {}, std::chrono::system_clock::now())}) &&
         writer.Close();
}

}  // namespace velqoris
