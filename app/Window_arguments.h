// velqoris's arguments: "--device SERIAL" ("--device=SERIAL") for a window on
// that board, so that two windows can measure two boards (each board has a
// single copy of its own; without --device the one copy of the program), and a
// data file to show, as a double-clicked .DTA arrives.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velqoris {

struct WindowArguments {
  std::string device;  // the board's USB serial number; empty: chosen when connecting
  std::optional<std::string> file;
};

// The arguments, or the error text.
inline std::variant<WindowArguments, std::string> ParseWindowArguments(
    const std::vector<std::string>& args) {
  WindowArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i].starts_with("--device=")) {
      value = args[i].substr(9);
    } else if (args[i] == "--device" && i + 1 < args.size()) {
      value = args[++i];
    } else if (!args[i].empty() && args[i].front() != '-' && !parsed.file) {
      parsed.file = args[i];
      continue;
    } else {
      return "使えない引数です: " + args[i] + " (使い方: velqoris [--device SERIAL] [FILE.DTA])";
    }
    if (value.empty() || !parsed.device.empty())
      return std::string("--device にはシリアル番号を一つ指定します");
    parsed.device = value;
  }
  return parsed;
}

// The single-copy lock of a window: one per board named, else the program's.
inline std::string InstanceName(const std::string& programLock, const WindowArguments& args) {
  return args.device.empty() ? programLock : programLock + "-" + args.device;
}

}  // namespace velqoris
