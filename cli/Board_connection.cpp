#include "cli/Board_connection.h"

#include <algorithm>
#include <cstdio>

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
constexpr const char* kStallText = "ボードから結果が届かなくなりました";
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

int BoardCount(const Options& options) {
  if (options.virtualBoard) return std::max(1, options.virtualBoards);
  return std::max<int>(1, static_cast<int>(options.devices.size()));
}

std::string BoardSerial(const Options& options, int board) {
  if (options.virtualBoard) {
    char serial[16];
    std::snprintf(serial, sizeof serial, "V%04d", board + 1);
    return serial;
  }
  const auto at = static_cast<std::size_t>(board);
  return at < options.devices.size() ? options.devices[at] : options.device;
}

std::unique_ptr<d2xx::Api> OpenDevice(const Options& options, const Clock& clock, int board,
                                      BoardProbe* probe) {
  if (!options.virtualBoard) {
    BoardChoice choice;
    choice.serial = BoardSerial(options, board);
    // Every board is asked, so that the tool can say which answered; the first is used.
    choice.choose = [](const std::vector<std::string>& serials) { return serials.front(); };
    if (probe != nullptr) choice.report = [probe](const BoardProbe& found) { *probe = found; };
    return OpenUsbBackend(choice);
  }
  // Each virtual board has noise of its own.
  auto device = std::make_unique<VirtualBoard>(clock, static_cast<std::uint64_t>(board) + 1);
  ApplyFault(*device, options.virtualFault);
  for (const SineOption& sine : options.sines) ApplySignalOption(device->Signal(), sine);
  for (const MainsOption& mains : options.mains) ApplySignalOption(device->Signal(), mains);
  for (const DriftOption& d : options.drifts) ApplySlowNoiseOption(device->Signal(), d);
  for (const FlickerOption& f : options.flickers) ApplySlowNoiseOption(device->Signal(), f);
  return device;
}

BoardSession::BoardSession(const Options& options, int boardIndex)
    : device(OpenDevice(options, clock, boardIndex, &probe)),
      host(clock),
      board(*device, host),
      run(board, clock, host) {
  held.data.Settings = options.settings;
  held.data.Settings.Gain = DerivedGain(options.settings.GainSel);
}

std::optional<int> BoardSession::Connect(std::ostream& out, std::ostream& err) {
  InstallStopHandler();
  if (run.Connect()) {
    const int code = ReportRunEnd(run.Result(), err);
    if (const std::string found = BoardSearchMessage(probe); !found.empty()) err << found << '\n';
    return code;
  }
  if (const std::string several = SeveralBoardsMessage(probe); !several.empty())
    err << several << '\n';
  out << PairText(run.BoardName(), run.BoardVersion()) << '\n' << std::flush;
  return std::nullopt;
}

int ReportRunEnd(const RunResult& result, std::ostream& err) {
  switch (result.end) {
    case RunEnd::kNotEnded:
    case RunEnd::kComplete:
      err << kMeasureEndText << '\n';
      return kExitOk;
    case RunEnd::kStopped:
      err << kMeasureStopText << '\n';
      return kExitOk;
    case RunEnd::kNoBoard: {
      // A driver that did not load is the cause, not the cable.
      const std::string driver = DriverProblemNote();
      err << BoardNotFoundMessage(kBoxBoardName) << '\n'
          << (driver.empty() ? kHintNotFound : driver) << '\n';
      return kExitBoard;
    }
    case RunEnd::kOtherBoard:
      err << BoardNotFoundMessage(kBoxBoardName) << '\n' << kHintOtherName << '\n';
      return kExitBoard;
    case RunEnd::kNoAnswer:
      err << BoardNoResponseMessage(kBoxBoardName) << '\n' << kHintNoResponse << '\n';
      return kExitBoard;
    case RunEnd::kRefused:
      // Only the first start command comes with the settings.
      if (result.startCommands <= 1) {
        err << BoardErrorText(kStatusBoardText) << '\n' << kHintSetupError << '\n';
        return kExitBoard;
      }
      err << kMeasureErrorText << " (開始コマンドが受け付けられませんでした)\n";
      return kExitRun;
    case RunEnd::kReadError:
      err << kMeasureErrorText << '\n';
      return kExitRun;
    case RunEnd::kPulledCable:
      err << kBoardGoneText << '\n';
      return kExitRun;
    case RunEnd::kStalled:
      err << kMeasureErrorText << " (" << kStallText << ")\n";
      return kExitRun;
    case RunEnd::kSinkFailed:
      err << result.failure << '\n';
      return kExitOutput;
  }
  return kExitRun;
}

}  // namespace velqoris::cli
