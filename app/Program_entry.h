// The programs' one entry: a single copy per user, the application, the main
// window on the given device, the event loop. Reads no arguments, no
// environment and no settings: a window for one board says which.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "board/D2xx.h"

namespace velqoris {

using DeviceFactory = std::function<std::unique_ptr<d2xx::Api>()>;

// Exit code: 1 when another copy runs (for `board`, another window on that
// board), else 0.
int RunProgram(const DeviceFactory& openDevice, const std::string& board = {});

}  // namespace velqoris
