#include "cli/Board_connection.h"

#include "board/Usb_backend.h"
#include "cli/Exit_codes.h"
#include "cli/Stop_request.h"
#include "message/Message_text.h"
#include "status/Status_text.h"
#include "virtualboard/Signal_options.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::cli {

namespace {

#ifdef _WIN32
constexpr const char* kHintNotFound =
    "確認してください: USB ケーブルの接続、FTDI の D2XX ドライバ (FTD2XX.DLL) のインストール、"
    "他のプログラムがデバイスを使っていないか";
#else
constexpr const char* kHintNotFound =
    "確認してください: USB ケーブルの接続、デバイスへのアクセス権 (udev ルール)、"
    "他のプログラムがデバイスを使っていないか";
#endif
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

}  // namespace

std::unique_ptr<d2xx::Api> OpenDevice(const Options& options, const Clock& clock) {
  if (!options.virtualBoard) return OpenUsbBackend(BoardChoice{options.device, {}});
  auto board = std::make_unique<VirtualBoard>(clock);
  ApplyFault(*board, options.virtualFault);
  for (const SineOption& sine : options.sines) ApplySignalOption(board->Signal(), sine);
  for (const MainsOption& mains : options.mains) ApplySignalOption(board->Signal(), mains);
  for (const DriftOption& d : options.drifts) ApplySlowNoiseOption(board->Signal(), d);
  for (const FlickerOption& f : options.flickers) ApplySlowNoiseOption(board->Signal(), f);
  return board;
}

BoardSession::BoardSession(const Options& options)
    : device(OpenDevice(options, clock)), host(clock), board(*device, host), run(board, held.data) {
  held.data.Settings = options.settings;
  held.data.Settings.Gain = DerivedGain(options.settings.GainSel);
}

std::optional<int> BoardSession::Connect(std::ostream& out, std::ostream& err) {
  InstallStopHandler();
  const auto connected = run.ConnectBoard();
  if (connected != Measurement::ConnectResult::kOk) return ReportConnectFailure(connected, err);
  out << PairText(run.BoardName(), run.BoardVersion()) << '\n' << std::flush;
  return std::nullopt;
}

int ReportConnectFailure(Measurement::ConnectResult result, std::ostream& err) {
  switch (result) {
    case Measurement::ConnectResult::kNoResponse:
      err << BoardNoResponseMessage(kBoxBoardName) << '\n' << kHintNoResponse << '\n';
      break;
    case Measurement::ConnectResult::kOtherName:
      err << BoardNotFoundMessage(kBoxBoardName) << '\n' << kHintOtherName << '\n';
      break;
    default: {
      // A driver that did not load is the cause, not the cable.
      const std::string driver = DriverProblemNote();
      err << BoardNotFoundMessage(kBoxBoardName) << '\n'
          << (driver.empty() ? kHintNotFound : driver) << '\n';
      break;
    }
  }
  return kExitBoard;
}

int ReportSetupFailure(std::ostream& err) {
  err << BoardErrorText(kStatusBoardText) << '\n' << kHintSetupError << '\n';
  return kExitBoard;
}

}  // namespace velqoris::cli
