// log with several boards or with the HDF5 and line-protocol outputs: each
// board connected in turn, then one Acquisition per board on a thread of its
// own (started back to back), with its sinks: its CSV when asked (a file per
// board), its group of the shared HDF5 log, its line-protocol summaries, its
// statistics.
#include <chrono>
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
#include "session/Csv_sink.h"
#include "session/Line_output.h"
#include "session/Lp_sink.h"
#include "session/Stats_sink.h"
#include "status/Status_text.h"
#include "virtualboard/Virtual_board.h"
#ifdef VELQORIS_HAVE_HDF5
#include "h5log/H5_log_writer.h"
#include "session/H5_log_file.h"
#include "session/H5_sink.h"
#endif

namespace velqoris::cli {

namespace {

bool IsFileTarget(const std::string& lp) {
  return !lp.empty() && lp != "-" && !lp.starts_with("udp://");
}

struct BoardLog {
  std::unique_ptr<BoardSession> session;
  std::string serial;
  std::string csvPath;
  std::vector<std::unique_ptr<Sink>> outputs;
  CsvSink* csv = nullptr;
  StatsSink stats;
};

}  // namespace

int RunBoardLogs(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const std::int64_t total = LogTotal(options);
#ifndef VELQORIS_HAVE_HDF5
  if (!options.h5.empty()) {
    err << "velqoris-cli: この版は HDF5 に書き込めません\n";
    return kExitUsage;
  }
#endif
  const int count = BoardCount(options);
  std::vector<BoardLog> boards(static_cast<std::size_t>(count));
  std::vector<std::string> paths = {options.h5};
  if (IsFileTarget(options.lp)) paths.push_back(options.lp);
  for (int i = 0; i < count; ++i) {
    BoardLog& b = boards[static_cast<std::size_t>(i)];
    b.serial = BoardSerial(options, i);
    // One CSV per board: OUT_SERIAL.csv beside OUT.csv.
    b.csvPath = BoardFilePath(options.csv, b.serial.empty() ? std::to_string(i) : b.serial, count);
    paths.push_back(b.csvPath);
  }
  for (const std::string& path : paths) {
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
    const auto start = std::chrono::system_clock::now();
    std::vector<h5log::H5BoardHeader> headers;
    for (const BoardLog& b : boards) {
      const Acquisition& run = b.session->run;
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
    if (!b.csvPath.empty()) {
      auto csv = std::make_unique<CsvSink>(b.csvPath, b.session->clock);
      b.csv = csv.get();
      b.outputs.push_back(std::move(csv));
    }
#ifdef VELQORIS_HAVE_HDF5
    if (!options.h5.empty())
      b.outputs.push_back(std::make_unique<H5Sink>(h5, i, options.h5, b.session->clock));
#endif
    if (lines) b.outputs.push_back(std::make_unique<LpSink>(*lines, b.serial));
  }

  err << kMeasuringText << '\n' << std::flush;
  ProgressMeter progress(err, errIsTerminal, boards.front().session->clock);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < boards.size(); ++i) {
    threads.emplace_back([&, i] {
      BoardLog& b = boards[i];
      Acquisition& run = b.session->run;
      std::vector<Sink*> sinks;
      for (const auto& sink : b.outputs) sinks.push_back(sink.get());
      sinks.push_back(&b.stats);
      // Only the first board's progress is shown: one line on the terminal.
      run.Run({s, total}, sinks, StopRequested, [&] {
        if (i != 0) return;
        progress.Update(run.ReadCount(), run.TargetCount(),
                        b.stats.LatestCode(s.CHSel == 1 ? 1 : 0),
                        s.CHSel == 2 ? std::optional(b.stats.LatestCode(1)) : std::nullopt,
                        TimeLeftText(run.TimeLeft()));
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
    const RunResult& result = b.session->run.Result();
    if (count > 1) err << "ボード " << b.serial << ": ";
    worst(ReportRunEnd(result, err));
    if (b.csv != nullptr && !ReportCsvLog(*b.csv, result.end, b.csvPath, err)) worst(kExitOutput);
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
    // With a CSV, the statistics of the rows in it.
    if (b.csv != nullptr) {
      PrintStats(b.csv->Stats(0), b.csv->Stats(1), s, options.volt, out);
    } else {
      PrintStats(b.stats.Stats(0), b.stats.Stats(1), s, options.volt, out);
    }
    PrintGaps(b.session->run, out);
  }
  out << std::flush;
  return code;
}

}  // namespace velqoris::cli
