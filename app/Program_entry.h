// The programs' one entry: a single copy per user, the application, the main
// window on the given device, the event loop. Reads no environment and no
// settings; its arguments say which board (a window for one board) and which
// data file to show (a double-clicked .DTA).
#pragma once

#include <functional>
#include <memory>

#include "app/Window_arguments.h"
#include "board/D2xx.h"

namespace velqoris {

using DeviceFactory = std::function<std::unique_ptr<d2xx::Api>()>;

// Exit code: 1 when another copy runs (for a board named, another window on
// that board), else 0. A data file given is loaded once the window shows, or
// handed to the copy that runs.
int RunProgram(const DeviceFactory& openDevice, const WindowArguments& args = {});

}  // namespace velqoris
