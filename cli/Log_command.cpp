// log: a long run streamed into a CSV file, with running statistics.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "analysis/Figure_rows.h"
#include "board/Ad7190.h"
#include "board/Sleeping_event_host.h"
#include "cli/Board_connection.h"
#include "cli/Cli_commands.h"
#include "cli/Duration_text.h"
#include "cli/Exit_codes.h"
#include "cli/Log_report.h"
#include "cli/Output_file.h"
#include "cli/Progress_meter.h"
#include "cli/Stop_request.h"
#include "datafile/Free_space.h"
#include "datafile/Utf8_path.h"
#include "session/Acquisition.h"
#include "session/Csv_sink.h"
#include "session/Held_data.h"
#include "session/Stats_sink.h"
#include "status/Status_text.h"
#include "units/Microvolts.h"

namespace velqoris::cli {

using analysis::Fixed;

// Total results of the log: --count, or the duration at the nominal rate.
std::int64_t LogTotal(const Options& options) {
  if (options.runCount > 0) return options.runCount;
  const double rate = DataRate(options.settings.spsSel).value_or(kDataRates.front());
  const auto n = static_cast<std::int64_t>(
      std::llround(static_cast<double>(options.durationMs) * rate / 1000.0));
  return std::max<std::int64_t>(n, 1);
}

void PrintStats(const RunningStats& ch0, const RunningStats& ch1, const MeasureSettings& s,
                bool volt, std::ostream& out) {
  const double uvPerCode = MicrovoltsPerCode(s.Gain);
  for (int ch = 0; ch <= 1; ++ch) {
    if ((ch == 0 && s.CHSel == 1) || (ch == 1 && s.CHSel == 0)) continue;
    const RunningStats& st = ch == 0 ? ch0 : ch1;
    if (st.Count() == 0) {
      out << "CH" << ch << " : データがありません\n";
      continue;
    }
    const double sd = st.Deviation();
    if (volt) {
      const double sdUv = sd * uvPerCode;
      out << VoltStatsText(ch, CodeToMicrovolts(st.Max(), s.Gain),
                           CodeToMicrovolts(st.Min(), s.Gain), static_cast<float>(sdUv))
          << '\n';
      // The mean with as many decimals as the line's pattern gives its numbers.
      const int decimals = sdUv >= 100 ? 0 : sdUv >= 10 ? 1 : 2;
      out << "CH" << ch << " : データ数：" << st.Count() << " / 平均値："
          << Fixed((st.Mean() - kMidScaleCode) * uvPerCode, decimals + 2) << "[uV]\n";
    } else {
      out << CodeStatsText(ch, st.Max(), st.Min(), static_cast<float>(sd)) << '\n';
      out << "CH" << ch << " : データ数：" << st.Count() << " / 平均値：" << Fixed(st.Mean(), 2)
          << " digit\n";
    }
  }
}

bool ReportCsvLog(const CsvSink& csv, RunEnd end, const std::string& path, std::ostream& err) {
  if (!csv.Failed()) {
    err << "CSV ファイルに " << csv.RowsInFile() << " 件書き込みました: " << path << '\n';
    return true;
  }
  // ReportRunEnd has said it when the file ended the run.
  if (end != RunEnd::kSinkFailed) err << csv.Failure() << '\n';
  err << "(ファイルにある " << csv.RowsInFile() << " 件は欠けのない行です)\n";
  return false;
}

void PrintGaps(const Acquisition& log, std::ostream& out) {
  if (log.Gaps().empty()) return;
  double longest = 0;
  double sum = 0;
  for (const double g : log.Gaps()) {
    longest = std::max(longest, g);
    sum += g;
  }
  out << "開始コマンド " << log.StartCommands() << " 回 / 区間の間の空き：最大 "
      << Fixed(longest, 6) << " s、合計 " << Fixed(sum, 6) << " s\n";
}

int RunLog(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const std::int64_t total = LogTotal(options);
  if (total > kMaxLogResults) {
    err << "velqoris-cli: 測定時間が長すぎます (データ数 " << total << " は " << kMaxLogResults
        << " までです)\n";
    return kExitUsage;
  }
  if (!options.h5.empty() || !options.lp.empty() || BoardCount(options) > 1)
    return RunBoardLogs(options, out, err, errIsTerminal);
  std::string refusal = OutputRefusal(options.csv, options.force);
  // The whole log must fit: a full disk would end it part-way. A file it
  // overwrites is emptied first, so its room counts.
  if (refusal.empty()) {
    std::uint64_t need = LogCsvBytes(total, options.settings.CHSel == 2 ? 2 : 1);
    std::error_code ec;
    const std::uint64_t old = std::filesystem::file_size(PathFromUtf8(options.csv), ec);
    if (!ec) need -= std::min(need, old);
    refusal = SpaceRefusal(options.csv, need);
  }
  if (!refusal.empty()) {
    err << refusal << '\n';
    return kExitOutput;
  }

  BoardSession session(options);
  if (const auto failed = session.Connect(out, err)) return *failed;
  Acquisition& run = session.run;
  const MeasureSettings& s = session.held.data.Settings;
  CsvSink csv(options.csv, session.clock);
  StatsSink stats;
  if (run.Start({s, total}, {&csv, &stats})) return ReportRunEnd(run.Result(), err);
  err << kMeasuringText << '\n' << std::flush;

  ProgressMeter progress(err, errIsTerminal, session.clock);
  run.Follow(StopRequested, [&] {
    progress.Update(run.ReadCount(), run.TargetCount(), stats.LatestCode(s.CHSel == 1 ? 1 : 0),
                    s.CHSel == 2 ? std::optional(stats.LatestCode(1)) : std::nullopt,
                    TimeLeftText(run.TimeLeft()));
  });
  progress.Finish();

  const RunResult& result = run.Result();
  // The whole rows read so far are in the file whatever ended the log.
  int code = ReportRunEnd(result, err);
  if (!ReportCsvLog(csv, result.end, options.csv, err)) code = kExitOutput;
  // The statistics of the rows in the file.
  PrintStats(csv.Stats(0), csv.Stats(1), s, options.volt, out);
  PrintGaps(run, out);
  out << std::flush;
  return code;
}

}  // namespace velqoris::cli
