// log with several boards or with the HDF5 and line-protocol outputs: each
// board connected in turn, then each logging on a thread of its own (started
// back to back), its blocks handed to the shared HDF5 writer and to its
// line-protocol summaries; its CSV, when asked, a file of its own.
// Written over today's LogRun: its block listener is where the outputs
// subscribe, so each output moves to a sink of the acquisition loop as it is.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/Board_connection.h"
#include "cli/Duration_text.h"
#include "cli/Exit_codes.h"
#include "cli/Log_report.h"
#include "cli/Output_file.h"
#include "cli/Progress_meter.h"
#include "cli/Stop_request.h"
#include "session/Line_output.h"
#include "session/Line_protocol.h"
#include "session/Log_header.h"
#include "session/Log_outputs.h"
#include "status/Status_text.h"
#include "virtualboard/Virtual_board.h"
#ifdef VELQORIS_HAVE_HDF5
#include "h5log/H5_log_writer.h"
#include "session/H5_log_file.h"
#endif

namespace velqoris::cli {

namespace {

// One CSV per board: OUT_SERIAL.csv beside OUT.csv.
std::string BoardCsvPath(const std::string& csv, const std::string& serial, int boards) {
  if (csv.empty() || boards == 1) return csv;
  std::filesystem::path p(csv);
  const std::string stem = p.stem().string() + "_" + serial;
  return (p.parent_path() / (stem + p.extension().string())).string();
}

bool IsFileTarget(const std::string& lp) {
  return !lp.empty() && lp != "-" && !lp.starts_with("udp://");
}

struct BoardLog {
  std::unique_ptr<BoardSession> session;
  std::string serial;
  std::string csvPath;
  CsvLog csv;
  std::unique_ptr<LogRun> log;
  std::unique_ptr<SecondSummaries> summaries;
  std::unique_ptr<LogOutputs> outputs;
  LogRun::Outcome outcome = LogRun::Outcome::kComplete;
};

// The outcome's words, as the log of one board says them; the exit code.
int ReportOutcome(const BoardLog& b, std::ostream& err) {
  switch (b.outcome) {
    case LogRun::Outcome::kComplete:
      err << kMeasureEndText << '\n';
      return kExitOk;
    case LogRun::Outcome::kStopped:
      err << kMeasureStopText << '\n';
      return kExitOk;
    case LogRun::Outcome::kStartError:
      if (b.log->StartCommands() <= 1) return ReportSetupFailure(err);
      err << kMeasureErrorText << " (開始コマンドが受け付けられませんでした)\n";
      return kExitRun;
    case LogRun::Outcome::kReadError:
      err << kMeasureErrorText << '\n';
      return kExitRun;
    case LogRun::Outcome::kWriteError:
      err << "CSV ファイルに書き込めませんでした: " << b.csvPath << '\n';
      return kExitOutput;
  }
  return kExitRun;
}

}  // namespace

int RunBoardLogs(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const std::int64_t total = LogTotal(options);
  if (total > kMaxLogResults) {
    err << "velqoris-cli: 測定時間が長すぎます (データ数 " << total << " は " << kMaxLogResults
        << " までです)\n";
    return kExitUsage;
  }
#ifndef VELQORIS_HAVE_HDF5
  if (!options.h5.empty()) {
    err << "velqoris-cli: この版は HDF5 に書き込めません\n";
    return kExitUsage;
  }
#endif
  const int count = BoardCount(options);
  std::vector<BoardLog> boards(static_cast<std::size_t>(count));
  std::vector<std::string> outputs = {options.h5};
  if (IsFileTarget(options.lp)) outputs.push_back(options.lp);
  for (int i = 0; i < count; ++i) {
    BoardLog& b = boards[static_cast<std::size_t>(i)];
    b.serial = BoardSerial(options, i);
    b.csvPath = BoardCsvPath(options.csv, b.serial.empty() ? std::to_string(i) : b.serial, count);
    outputs.push_back(b.csvPath);
  }
  for (const std::string& path : outputs) {
    if (path.empty()) continue;
    if (const std::string refusal = OutputRefusal(path, options.force); !refusal.empty()) {
      err << refusal << '\n';
      return kExitOutput;
    }
  }

  for (int i = 0; i < count; ++i) {
    BoardLog& b = boards[static_cast<std::size_t>(i)];
    b.session = std::make_unique<BoardSession>(options, i);
    if (const auto failed = b.session->Connect(out, err)) return *failed;
  }
  const MeasureSettings& s = boards.front().session->held.data.Settings;
  const auto start = std::chrono::system_clock::now();
  const std::int64_t startNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();

  std::unique_ptr<LineOutput> lines;
  if (!options.lp.empty()) {
    std::string why;
    lines = LineOutput::Open(options.lp, &why);
    if (!lines) {
      err << why << '\n';
      return kExitOutput;
    }
  }
#ifdef VELQORIS_HAVE_HDF5
  h5log::H5LogWriter h5;
  if (!options.h5.empty()) {
    std::vector<h5log::H5BoardHeader> headers;
    for (const BoardLog& b : boards) {
      const Measurement& run = b.session->run;
      headers.push_back(
          H5HeaderOf(s, b.serial, PairText(run.BoardName(), run.BoardVersion()), start));
    }
    if (!h5.Create(options.h5, VELQORIS_VERSION, headers)) {
      err << "HDF5 ファイルに書き込めませんでした: " << options.h5 << '\n';
      return kExitOutput;
    }
  }
#endif

  for (int i = 0; i < count; ++i) {
    BoardLog& b = boards[static_cast<std::size_t>(i)];
    BoardSession& session = *b.session;
    const std::string boardLine = PairText(session.run.BoardName(), session.run.BoardVersion());
    if (!b.csvPath.empty() &&
        !b.csv.Open(b.csvPath, s.CHSel != 1, s.CHSel != 0, session.clock.Now(),
                    LogHeaderLines(s, boardLine, start))) {
      err << "CSV ファイルに書き込めませんでした: " << b.csvPath << '\n';
      return kExitOutput;
    }
    b.log =
        std::make_unique<LogRun>(session.run, session.board, s, session.clock, session.host, b.csv);
    if (lines) {
      const LineTags tags{b.serial, s.Gain, static_cast<double>(DataRate(s.spsSel).value_or(0))};
      b.summaries = std::make_unique<SecondSummaries>(
          tags, s.CHSel != 1, s.CHSel != 0, startNs,
          [&out = *lines](const std::string& text) { out.Send(text); });
    }
#ifdef VELQORIS_HAVE_HDF5
    h5log::H5LogWriter* writer = options.h5.empty() ? nullptr : &h5;
#else
    h5log::H5LogWriter* writer = nullptr;
#endif
    b.outputs = std::make_unique<LogOutputs>(*b.log, session.clock, i, writer, b.summaries.get());
    b.log->SetBlockListener([&outputs = *b.outputs](const std::int32_t* c0, const std::int32_t* c1,
                                                    int n) { outputs.Take(c0, c1, n); });
  }

  err << kMeasuringText << '\n' << std::flush;
  ProgressMeter progress(err, errIsTerminal, boards.front().session->clock);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < boards.size(); ++i) {
    threads.emplace_back([&, i] {
      BoardLog& b = boards[i];
      const LogRun& log = *b.log;
      // Only the first board's progress is shown: one line on the terminal.
      b.outcome = b.log->Run(total, StopRequested, [&] {
        if (i != 0) return;
        progress.Update(log.Written(), log.Total(), log.LatestCode(s.CHSel == 1 ? 1 : 0),
                        s.CHSel == 2 ? std::optional(log.LatestCode(1)) : std::nullopt,
                        TimeLeftText(log.TimeLeft()));
      });
    });
  }
  for (std::thread& t : threads) t.join();
  progress.Finish();

  int code = kExitOk;
  const auto worst = [&code](int c) {
    if (code == kExitOk) code = c;
  };
  for (BoardLog& b : boards) {
    if (b.summaries) b.summaries->Finish();
    if (count > 1) err << "ボード " << b.serial << ": ";
    worst(ReportOutcome(b, err));
    if (!b.csvPath.empty()) {
      if (!b.csv.Close()) {
        err << "CSV ファイルに書き込めませんでした: " << b.csvPath << '\n';
        worst(kExitOutput);
      } else {
        err << "CSV ファイルに " << b.log->Written() << " 件書き込みました: " << b.csvPath << '\n';
      }
    }
    if (const auto* v = dynamic_cast<const VirtualBoard*>(b.session->device.get());
        v != nullptr && v->SkippedConversions() > 0) {
      err << "仮想ボード " << b.serial << ": 読み取りが間に合わず失われた変換 "
          << v->SkippedConversions() << " 件\n";
    }
  }
#ifdef VELQORIS_HAVE_HDF5
  if (!options.h5.empty()) {
    if (!h5.Close()) {
      err << "HDF5 ファイルに書き込めませんでした: " << options.h5 << '\n';
      worst(kExitOutput);
    } else {
      err << "HDF5 ファイルに書き込みました: " << options.h5 << '\n';
    }
  }
#endif
  if (lines && lines->Failed()) {
    err << "要約を送れませんでした: " << options.lp << '\n';
    worst(kExitOutput);
  }
  for (const BoardLog& b : boards) {
    if (count > 1) out << "ボード " << b.serial << '\n';
    PrintStats(*b.log, s, options.volt, out);
    PrintGaps(*b.log, out);
  }
  out << std::flush;
  return code;
}

}  // namespace velqoris::cli
