// The folder where the program keeps what it writes for the user on its own
// (the run history, settings): inside the user's data folder on Linux (XDG),
// inside the local application-data folder on Windows. Names are UTF-8.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace velqoris {

// An environment variable's value as UTF-8 text; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment (read as wide characters on Windows).
std::optional<std::string> ProcessEnvironment(const char* name);

// The program's folder (not created); empty when the environment names no base.
std::string UserDataFolder(const EnvironmentLookup& environment = ProcessEnvironment);

}  // namespace velqoris
