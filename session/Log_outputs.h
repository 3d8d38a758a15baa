// The outputs a log feeds besides its CSV, for one board: the HDF5 log's
// rows and gaps and the line-protocol summaries, taken from the LogRun's
// blocks (its block listener) with the gaps it measured.
#pragma once

#include <cstdint>

#include "board/Clock.h"
#include "session/Line_protocol.h"
#include "session/Log_run.h"

namespace velqoris::h5log {
class H5LogWriter;
}

namespace velqoris {

class LogOutputs {
 public:
  // Either output may be null; `board` is the board's group in the HDF5 log.
  LogOutputs(const LogRun& log, const Clock& clock, int board, h5log::H5LogWriter* h5,
             SecondSummaries* summaries)
      : log_(log), clock_(clock), board_(board), h5_(h5), summaries_(summaries) {}

  // The block listener of the log.
  void Take(const std::int32_t* codes0, const std::int32_t* codes1, int count);

 private:
  const LogRun& log_;
  const Clock& clock_;
  int board_;
  h5log::H5LogWriter* h5_;
  SecondSummaries* summaries_;
  std::size_t gapsSeen_ = 0;
};

}  // namespace velqoris
