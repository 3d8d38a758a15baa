// What every command that talks to the board does first: the device (the
// USB backend, or the virtual board with a fault to try), and the board
// texts and hints of a failed connection or setup.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "session/Measurement.h"
#include "cli/Cli_options.h"
#include "board/Clock.h"
#include "board/D2xx.h"

namespace velqoris::cli {

// The board texts of the window: the boxes name the board, the status bar the board text.
inline constexpr const char* kBoxBoardName = "VELQORIS";
inline constexpr const char* kStatusBoardText = "VELQORIS Board";

// The virtual board on clock (with --virtual-fault and the test signal
// options applied), else the USB backend.
std::unique_ptr<d2xx::Api> OpenDevice(const Options& options, const Clock& clock);

// The message and hint of a failed ConnectBoard; returns the exit code.
int ReportConnectFailure(Measurement::ConnectResult result, std::ostream& err);
// The status text and hint of refused settings; returns the exit code.
int ReportSetupFailure(std::ostream& err);

}  // namespace velqoris::cli
