// What every command that talks to the board does first: the device (the
// USB backend, or the virtual board with a fault to try), and the words and
// exit code of every way a run ends.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "board/D2xx.h"
#include "board/Sleeping_event_host.h"
#include "cli/Cli_options.h"
#include "records/Board_probe.h"
#include "session/Acquisition.h"
#include "session/Held_data.h"
#include "session/Run_end.h"

namespace velqoris::cli {

// The board texts of the window: the boxes name the board, the status bar the board text.
inline constexpr const char* kBoxBoardName = "VELQORIS";
inline constexpr const char* kStatusBoardText = "VELQORIS Board";

// The virtual board on clock (with --virtual-fault and the test signal
// options applied), else the USB backend; `board` counts the boards of one
// command (each --virtual a board of its own noise, each --device its serial).
// `probe` receives what the search for a USB board found.
std::unique_ptr<d2xx::Api> OpenDevice(const Options& options, const Clock& clock, int board = 0,
                                      BoardProbe* probe = nullptr);

// How many boards the options name, and the serial number of each (the
// virtual boards' are V0001, V0002, ...; empty: the first board that answers).
int BoardCount(const Options& options);
std::string BoardSerial(const Options& options, int board);

// What a command that runs the board builds first, in this order: the device
// on the steady clock, the link's event host, the board, the data held (with
// the options' settings) and the acquisition over the board.
struct BoardSession {
  explicit BoardSession(const Options& options, int boardIndex = 0);
  BoardSession(const BoardSession&) = delete;
  BoardSession& operator=(const BoardSession&) = delete;

  // Ctrl-C handling, connection and identification; the board line goes to
  // out. The exit code when no board was connected, else nothing.
  std::optional<int> Connect(std::ostream& out, std::ostream& err);

  SteadyClock clock;
  BoardProbe probe;
  std::unique_ptr<d2xx::Api> device;
  SleepingEventHost host;
  TADC board;
  HeldData held;
  Acquisition run;
};

// The tool's words for how a run ended, on err (the window's texts, with a
// hint where the user can do something), and its exit code.
int ReportRunEnd(const RunResult& result, std::ostream& err);

}  // namespace velqoris::cli
