// One board's run into its group of a shared HDF5 log (h5log/): the codes of
// each block, and a gaps-table row per later start command, told by Gap and
// placed at the first block after it (which knows the row and the start time).
// The writer is created with every board's header before the runs start and
// closed after they end; several boards' sinks share it from their threads.
#pragma once

#include <optional>
#include <string>

#include "board/Clock.h"
#include "h5log/H5_log_writer.h"
#include "session/Sink.h"

namespace velqoris {

// "HDF5 ファイルに書き込めませんでした: " and the path.
std::string H5WriteFailure(const std::string& path);

class H5Sink final : public Sink {
 public:
  H5Sink(h5log::H5LogWriter& writer, int board, std::string path, const Clock& clock)
      : writer_(writer), board_(board), path_(std::move(path)), clock_(clock) {}

  bool Take(const Block& block) override;
  void Gap(int startCommand, double seconds) override;
  std::string Failure() const override { return H5WriteFailure(path_); }

 private:
  h5log::H5LogWriter& writer_;
  int board_;
  std::string path_;
  const Clock& clock_;
  std::optional<h5log::H5Gap> gap_;
};

}  // namespace velqoris
