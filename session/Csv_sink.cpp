#include "session/Csv_sink.h"

#include <chrono>

#include "message/Message_text.h"
#include "session/Log_end.h"
#include "session/Log_gap_note.h"
#include "session/Log_header.h"
#include "status/Status_text.h"
#include "units/Microvolts.h"

namespace velqoris {

bool CsvSink::Begin(const RunInfo& run) {
  gain_ = run.settings.Gain;
  const auto header = LogHeaderLines(run.settings, PairText(run.boardName, run.boardVersion),
                                     std::chrono::system_clock::now());
  return csv_.Open(path_, run.settings.CHSel != 1, run.settings.CHSel != 0, clock_.Now(), header);
}

bool CsvSink::Take(const Block& block) {
  const bool ch0 = block.Has(0);
  const bool ch1 = block.Has(1);
  for (int i = 0; i < block.count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const std::int32_t c0 = ch0 ? block.codes[0][k] : 0;
    const std::int32_t c1 = ch1 ? block.codes[1][k] : 0;
    csv_.Row(block.first + i + 1, block.Seconds(i), c0, ch0 ? CodeToMicrovolts(c0, gain_) : 0.0f,
             c1, ch1 ? CodeToMicrovolts(c1, gain_) : 0.0f);
  }
  csv_.FlushIfDue(clock_.Now());
  return !csv_.Failed();
}

void CsvSink::Gap(int startCommand, double seconds) { csv_.Note(GapNote(startCommand, seconds)); }

bool CsvSink::End(const RunResult& result) {
  // The rows that wait go first: a write that fails now is what the end line says.
  csv_.Flush();
  return csv_.Finish(LogEndLine(result.end, csv_.Error(), std::chrono::system_clock::now()));
}

std::string CsvSink::Failure() const { return OutputNotWrittenMessage("CSV", path_, csv_.Error()); }

}  // namespace velqoris
