#include "session/H5_log_file.h"

#include "session/Csv_log.h"
#include "session/Log_gap_note.h"
#include "session/Log_header.h"
#include "units/Microvolts.h"

namespace velqoris {

LogReadResult ReadH5LogRecord(const std::string& path, const std::string& serial) {
  h5log::H5ReadResult read = h5log::ReadH5Log(path, serial.empty() ? 0 : -1, serial);
  LogReadResult result;
  if (read.status != h5log::H5ReadStatus::kOk) {
    result.status = LogReadStatus::kBadHdf5;
    result.detail = h5log::H5ReadMessage(read, path);
    return result;
  }
  result.record = std::move(read.boards.front().record);
  if (!result.record.HasChannel(0) && !result.record.HasChannel(1))
    result.status = LogReadStatus::kNoData;
  return result;
}

bool WriteH5LogAsCsv(const h5log::H5BoardLog& log, const std::string& csvPath) {
  const LogRecord& r = log.record;
  MeasureSettings s = SettingsOf(r);
  s.Gain = log.header.gain;
  s.CHSel = log.header.channel[0] && log.header.channel[1] ? 2 : (log.header.channel[1] ? 1 : 0);
  std::vector<std::string> lines = LogHeaderLines(s, log.header.boardLine, {});
  for (std::string& line : lines) {
    if (line.starts_with("start: ")) line = "start: " + log.header.start;
  }
  const bool ch0 = log.header.channel[0];
  const bool ch1 = log.header.channel[1];
  CsvLog csv;
  if (!csv.Open(csvPath, ch0, ch1, Clock::Duration{0}, lines)) return false;
  const double rate = log.header.rateSps;
  std::size_t nextGap = 0;
  std::int64_t segmentFirst = 0;
  double segmentSeconds = 0.0;
  for (std::int64_t j = 0; j < log.rows; ++j) {
    if (nextGap < log.gaps.size() && log.gaps[nextGap].firstSample == j) {
      const h5log::H5Gap& gap = log.gaps[nextGap++];
      csv.Note(GapNote(gap.startCommand, gap.secondsLost));
      segmentFirst = j;
      segmentSeconds = gap.startSeconds;
    }
    const auto at = static_cast<std::size_t>(j);
    const std::int32_t c0 = ch0 ? r.codes[0][at] : 0;
    const std::int32_t c1 = ch1 ? r.codes[1][at] : 0;
    csv.Row(j + 1, segmentSeconds + static_cast<double>(j - segmentFirst) / rate, c0,
            ch0 ? CodeToMicrovolts(c0, s.Gain) : 0.0f, c1,
            ch1 ? CodeToMicrovolts(c1, s.Gain) : 0.0f);
  }
  return csv.Close();
}

h5log::H5BoardHeader H5HeaderOf(const MeasureSettings& s, const std::string& serial,
                                const std::string& boardLine,
                                std::chrono::system_clock::time_point start) {
  h5log::H5BoardHeader h;
  h.serial = serial;
  h.boardLine = boardLine;
  h.start = Iso8601Local(start);
  h.startUnixNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
  h.rateSps = DataRate(s.spsSel).value_or(0);
  h.gain = s.Gain;
  h.sinc4 = s.fSinc4 != 0;
  h.chop = s.fCHOP_ON != 0;
  h.buffer = s.fBUF_ON != 0;
  h.channel[0] = s.CHSel != 1;
  h.channel[1] = s.CHSel != 0;
  h.microvoltsPerCode = MicrovoltsPerCode(s.Gain);
  return h;
}

}  // namespace velqoris
