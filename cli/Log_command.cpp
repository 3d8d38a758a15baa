// log: a long run streamed into a CSV file, with running statistics.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "analysis/Code_scale.h"
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
#include "graph/Axis_scale.h"
#include "session/Csv_log.h"
#include "session/Held_data.h"
#include "session/Log_header.h"
#include "session/Log_run.h"
#include "session/Measurement.h"
#include "status/Status_text.h"

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

void PrintStats(const LogRun& log, const MeasureSettings& s, bool volt, std::ostream& out) {
  const double uvPerCode = analysis::MicrovoltsPerCode(s.Gain);
  for (int ch = 0; ch <= 1; ++ch) {
    if ((ch == 0 && s.CHSel == 1) || (ch == 1 && s.CHSel == 0)) continue;
    const RunningStats& st = log.Stats(ch);
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

void PrintGaps(const LogRun& log, std::ostream& out) {
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
  if (!options.h5.empty() || !options.lp.empty() || BoardCount(options) > 1)
    return RunBoardLogs(options, out, err, errIsTerminal);
  const std::int64_t total = LogTotal(options);
  if (total > kMaxLogResults) {
    err << "velqoris-cli: 測定時間が長すぎます (データ数 " << total << " は " << kMaxLogResults
        << " までです)\n";
    return kExitUsage;
  }
  if (const std::string refusal = OutputRefusal(options.csv, options.force); !refusal.empty()) {
    err << refusal << '\n';
    return kExitOutput;
  }

  BoardSession session(options);
  if (const auto failed = session.Connect(out, err)) return *failed;
  Measurement& run = session.run;
  const MeasureSettings& s = session.held.data.Settings;
  const SteadyClock& clock = session.clock;

  CsvLog csv;
  const auto header = LogHeaderLines(s, PairText(run.BoardName(), run.BoardVersion()),
                                     std::chrono::system_clock::now());
  if (!csv.Open(options.csv, s.CHSel != 1, s.CHSel != 0, clock.Now(), header)) {
    run.ReleaseBoard();
    err << "CSV ファイルに書き込めませんでした: " << options.csv << '\n';
    return kExitOutput;
  }
  LogRun log(run, session.board, s, clock, session.host, csv);
  err << kMeasuringText << '\n' << std::flush;

  ProgressMeter progress(err, errIsTerminal, clock);
  const LogRun::Outcome outcome = log.Run(total, StopRequested, [&] {
    progress.Update(log.Written(), log.Total(), log.LatestCode(s.CHSel == 1 ? 1 : 0),
                    s.CHSel == 2 ? std::optional(log.LatestCode(1)) : std::nullopt,
                    TimeLeftText(log.TimeLeft()));
  });
  progress.Finish();
  const bool closed = csv.Close();

  int code = kExitOk;
  switch (outcome) {
    case LogRun::Outcome::kComplete:
      err << kMeasureEndText << '\n';
      break;
    case LogRun::Outcome::kStopped:
      err << kMeasureStopText << '\n';
      break;
    case LogRun::Outcome::kStartError:
      if (log.StartCommands() <= 1) return ReportSetupFailure(err);
      err << kMeasureErrorText << " (開始コマンドが受け付けられませんでした)\n";
      code = kExitRun;
      break;
    case LogRun::Outcome::kReadError:
      err << kMeasureErrorText << '\n';
      code = kExitRun;
      break;
    case LogRun::Outcome::kWriteError:
      break;
  }
  if (!closed || outcome == LogRun::Outcome::kWriteError) {
    err << "CSV ファイルに書き込めませんでした: " << options.csv << '\n';
    code = kExitOutput;
  } else {
    err << "CSV ファイルに " << log.Written() << " 件書き込みました: " << options.csv << '\n';
  }
  PrintStats(log, s, options.volt, out);
  PrintGaps(log, out);
  out << std::flush;
  return code;
}

}  // namespace velqoris::cli
