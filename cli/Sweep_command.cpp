// sweep: the board's noise table over data rates and gains.
#include <QApplication>
#include <QByteArray>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "board/Ad7190.h"
#include "board/Sleeping_event_host.h"
#include "cli/Board_connection.h"
#include "cli/Cli_commands.h"
#include "cli/Duration_text.h"
#include "cli/Exit_codes.h"
#include "cli/Output_file.h"
#include "cli/Progress_meter.h"
#include "cli/Stop_request.h"
#include "datafile/Replacing_file.h"
#include "message/Message_text.h"
#include "plots/Sweep_plot.h"
#include "session/Held_data.h"
#include "session/Sweep_run.h"
#include "session/Sweep_table.h"
#include "status/Status_text.h"

namespace velqoris::cli {

namespace {

SweepPlan PlanOf(const Options& options) {
  SweepPlan plan;
  plan.base = options.settings;
  plan.base.CHSel = plan.base.CHSel == 1 ? 1 : 0;
  plan.rateSels = options.rateSels;
  plan.gainSels = options.gainSels;
  if (plan.rateSels.empty()) {
    for (int k = 0; k < static_cast<int>(kDataRates.size()); ++k) plan.rateSels.push_back(k);
  }
  if (plan.gainSels.empty()) {
    for (int k = 0; k < static_cast<int>(kGains.size()); ++k) plan.gainSels.push_back(k);
  }
  plan.count = options.runCount > 0 ? options.runCount : 1000;
  plan.maxTimeMs = options.durationMs;
  return plan;
}

std::int64_t Millis(Clock::Duration d) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

void PrintTable(const SweepRun& sweep, SweepTable table, std::ostream& out) {
  out << '\n';
  for (const std::string& line : SweepTableHead(sweep.Plan(), table)) out << line << '\n';
  for (std::size_t r = 0; r < sweep.Plan().rateSels.size(); ++r) {
    out << SweepTableRow(sweep, r, table) << '\n';
  }
}

int WritePng(const SweepRun& sweep, const std::string& path, std::ostream& err) {
  // Drawing needs no screen: this process renders off screen.
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  static char programName[] = "velqoris-cli";
  static char* argv[] = {programName, nullptr};
  static int argc = 1;
  QApplication app(argc, argv);
  if (int error = 0; !WriteSweepPng(sweep, path, &error)) {
    err << OutputNotWrittenMessage("PNG", path, error) << '\n';
    return kExitOutput;
  }
  return kExitOk;
}

}  // namespace

int RunSweep(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const SweepPlan plan = PlanOf(options);
  // The files come at the end; a path they cannot have is found before the sweep.
  if (!OutputsAllowed({{"CSV", options.csv}, {"PNG", options.png}}, options.force, err))
    return kExitOutput;
  // The rows gather beside the old file, which they replace once the sweep ends.
  std::optional<ReplacingFile> csv;
  if (!options.csv.empty()) {
    csv.emplace(options.csv);
    if (!csv->Open()) {
      err << OutputNotWrittenMessage("CSV", options.csv, csv->Error()) << '\n';
      return kExitOutput;
    }
    csv->Write(SweepCsvHeader() + '\n');
  }

  BoardSession session(options);
  if (const auto failed = session.Connect(out, err)) return *failed;
  const SteadyClock& clock = session.clock;
  out << SweepConditionsText(plan) << '\n';

  SweepRun sweep(session.run, plan);
  const std::int64_t totalMs = std::max<std::int64_t>(Millis(sweep.TimeLeft()), 1);
  err << kMeasuringText << " (" << sweep.Settings() << " 設定, 測定時間 約 "
      << TimeLeftText(sweep.TimeLeft()).substr(std::string("残り ").size()) << ")\n"
      << std::flush;
  out << '\n';
  for (const std::string& line : SweepTableHead(plan, SweepTable::kMeasured)) out << line << '\n';
  out << std::flush;

  ProgressMeter progress(err, errIsTerminal, clock);
  const bool complete = sweep.Run(
      StopRequested,
      [&](const SweepCell& cell) {
        if (csv) csv->Write(SweepCsvLine(plan, cell) + '\n');
      },
      [&](int row) {
        progress.Clear();
        out << SweepTableRow(sweep, static_cast<std::size_t>(row), SweepTable::kMeasured) << '\n'
            << std::flush;
      },
      [&] {
        const SweepCell* cell = sweep.Current();
        if (cell == nullptr) return;
        const std::string text =
            "設定 " + std::to_string(sweep.Finished() + 1) + "/" +
            std::to_string(sweep.Settings()) + ": " +
            std::to_string(DataRate(cell->spsSel).value_or(0)) + " sps ゲイン " +
            std::to_string(GainOf(cell->gainSel).value_or(0)) + "  " +
            std::to_string(sweep.CurrentRead()) + "/" + std::to_string(cell->count) + "  " +
            TimeLeftText(sweep.TimeLeft());
        progress.UpdateText(totalMs - Millis(sweep.TimeLeft()), totalMs, text);
      });
  progress.Clear();
  if (complete) {
    err << kMeasureEndText << '\n';
  } else {
    err << kMeasureStopText << '\n';
  }
  PrintTable(sweep, SweepTable::kTypical, out);
  PrintTable(sweep, SweepTable::kRatio, out);
  out << std::flush;

  int code = kExitOk;
  int failed = 0;
  for (std::size_t r = 0; r < plan.rateSels.size(); ++r) {
    for (std::size_t g = 0; g < plan.gainSels.size(); ++g) {
      const RunEnd end = sweep.Cell(r, g).end;
      if (end != RunEnd::kComplete && end != RunEnd::kNotEnded && end != RunEnd::kStopped) {
        ++failed;
      }
    }
  }
  if (failed > 0) {
    err << failed << " 個の設定で測定できませんでした (表のその欄に理由があります)\n";
    code = kExitRun;
  }
  if (csv && !csv->Commit()) {
    err << OutputNotWrittenMessage("CSV", options.csv, csv->Error()) << '\n';
    code = kExitOutput;
  }
  if (!options.png.empty() && WritePng(sweep, options.png, err) != kExitOk) code = kExitOutput;
  return code;
}

}  // namespace velqoris::cli
