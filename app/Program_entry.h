// The programs' one entry: a single copy per user, the application, the main
// window on the given device, the event loop. Reads no environment and no
// settings; its one argument is a data file to show (a double-clicked .DTA).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/D2xx.h"

namespace velqoris {

using DeviceFactory = std::function<std::unique_ptr<d2xx::Api>()>;

// Exit code: 1 when another copy runs, else 0. A data file given is loaded
// once the window shows, or handed to the copy that runs.
int RunProgram(const DeviceFactory& openDevice,
               const std::optional<std::string>& dataFile = std::nullopt);

// The data file among the arguments: the first that is no option.
std::optional<std::string> DataFileArgument(const std::vector<std::string>& args);

}  // namespace velqoris
