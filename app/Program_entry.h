// The programs' one entry: a single copy per user, the application, the main
// window on the given device, the event loop. Reads no arguments, no
// environment and no settings.
#pragma once

#include <functional>
#include <memory>

#include "board/D2xx.h"

namespace velqoris {

using DeviceFactory = std::function<std::unique_ptr<d2xx::Api>()>;

// Exit code: 1 when another copy runs, else 0.
int RunProgram(const DeviceFactory& openDevice);

}  // namespace velqoris
