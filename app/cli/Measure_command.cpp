// measure: one run on the board, as the window's measure button does it.
#include <memory>
#include <optional>
#include <string>

#include "app/Measurement.h"
#include "app/Run_file.h"
#include "app/cli/Analysis_report.h"
#include "app/cli/Cli_commands.h"
#include "app/cli/Exit_codes.h"
#include "app/cli/Held_data.h"
#include "app/cli/Progress_meter.h"
#include "app/cli/Sleeping_event_host.h"
#include "app/cli/Stop_request.h"
#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/Usb_backend.h"
#include "datafile/Myfile.h"
#include "message/Message_text.h"
#include "status/Status_text.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::cli {

namespace {

// The board texts of the window: the boxes name the board, the status bar the board text.
constexpr const char* kBoxBoardName = "VELQORIS";
constexpr const char* kStatusBoardText = "VELQORIS Board";

constexpr const char* kHintNotFound =
    "確認してください: USB ケーブルの接続、デバイスへのアクセス権 (udev ルール)、"
    "他のプログラムがデバイスを使っていないか";
constexpr const char* kHintNoResponse =
    "確認してください: ボードの電源と USB ケーブル、他のプログラムがデバイスを使っていないか";
constexpr const char* kHintOtherName =
    "確認してください: 接続されているのが VELQORIS ボードか (別の名前が返りました)";
constexpr const char* kHintSetupError =
    "確認してください: ボードの接続とファームウェア (設定コマンドが受け付けられませんでした)";

void ApplyFault(VirtualBoard& board, const std::string& fault) {
  BoardFaults& f = board.Faults();
  if (fault == "open") f.openFails = true;
  if (fault == "silent") f.silentCommands.insert("?");
  if (fault == "name") board.SetBoardName("OTHER");
  if (fault == "refuse") {
    for (int i = 0; i < 6; ++i) f.refusedCommands.insert("SG" + std::to_string(i));
  }
  if (fault == "readerror") f.readErrorAfter = 20;
  if (fault == "badframe") f.lfFrame = 20;
}

int ReportConnectFailure(Measurement::ConnectResult result, std::ostream& err) {
  switch (result) {
    case Measurement::ConnectResult::kNoResponse:
      err << BoardNoResponseMessage(kBoxBoardName) << '\n' << kHintNoResponse << '\n';
      break;
    case Measurement::ConnectResult::kOtherName:
      err << BoardNotFoundMessage(kBoxBoardName) << '\n' << kHintOtherName << '\n';
      break;
    default:
      err << BoardNotFoundMessage(kBoxBoardName) << '\n' << kHintNotFound << '\n';
      break;
  }
  return kExitBoard;
}

int SaveResult(const Options& options, RunData& data, std::ostream& err) {
  const std::string path = WithDataExtension(options.out);
  bool declined = false;
  TmyFile file([&](const std::string&) {
    if (options.force) return true;
    declined = true;
    return false;
  });
  if (!SaveRun(file, path, data)) {
    err << kSaveFailedMessage << ": " << path << '\n';
    return kExitOutput;
  }
  if (declined) {
    err << "ファイル：" << path << "があります。上書きしませんでした (--force で上書きします)\n";
    return kExitOutput;
  }
  err << kFileSavedText << ": " << path << '\n';
  return kExitOk;
}

}  // namespace

int RunMeasure(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  SteadyClock clock;
  std::unique_ptr<d2xx::Api> device;
  if (options.virtualBoard) {
    auto board = std::make_unique<VirtualBoard>(clock);
    ApplyFault(*board, options.virtualFault);
    for (const SineOption& sine : options.sines) ApplySignalOption(board->Signal(), sine);
    for (const MainsOption& mains : options.mains) ApplySignalOption(board->Signal(), mains);
    device = std::move(board);
  } else {
    device = OpenUsbBackend();
  }
  SleepingEventHost host(clock);
  TADC board(*device, host);
  HeldData held;
  held.data.Settings = options.settings;
  held.data.Settings.Gain = TADC::GainFactor(held.data.Settings.GainSel);
  Measurement run(board, held.data, held.Converter());

  InstallStopHandler();
  const auto connected = run.ConnectBoard();
  if (connected != Measurement::ConnectResult::kOk) return ReportConnectFailure(connected, err);
  run.fBoardReady = true;
  out << PairText(run.BoardName, run.BoardVersion) << '\n' << std::flush;
  if (!run.SetupBoard()) {
    err << BoardErrorText(kStatusBoardText) << '\n' << kHintSetupError << '\n';
    return kExitBoard;
  }
  run.BeginRun();
  err << kMeasuringText << '\n' << std::flush;

  const int channelSel = held.data.Settings.CHSel;
  ProgressMeter progress(err, errIsTerminal, clock);
  bool stopped = false;
  bool finished = false;
  while (!finished) {
    if (StopRequested()) {
      stopped = true;
      break;
    }
    switch (run.MeasureStep()) {
      case Measurement::StepResult::kIdle:
      case Measurement::StepResult::kComplete:
        finished = true;
        break;
      case Measurement::StepResult::kWaiting:
        host.ProcessEvents();
        break;
      case Measurement::StepResult::kProgress:
        progress.Update(run.ReadCount, run.TargetCount, run.LatestCode(channelSel == 1 ? 1 : 0),
                        channelSel == 2 ? std::optional(run.LatestCode(1)) : std::nullopt);
        break;
      case Measurement::StepResult::kError:
        progress.Finish();
        err << kMeasureErrorText << '\n';
        return kExitRun;
    }
  }
  progress.Finish();
  if (stopped) {
    const bool kept = run.StopRun();
    err << kMeasureStopText << '\n';
    if (!kept) {
      err << "結果が " << Measurement::kMinKept << " 件に満たないため破棄しました\n";
      return kExitRun;
    }
  } else {
    err << kMeasureEndText << '\n';
  }
  run.ConvertAll();
  run.CalcStats();
  for (const std::string& line : held.StatsLines(options.volt)) out << line << '\n';
  if (options.analyze) out << NoiseText(held.data);
  out << std::flush;
  if (options.out.empty()) return kExitOk;
  return SaveResult(options, held.data, err);
}

}  // namespace velqoris::cli
