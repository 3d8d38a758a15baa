// What the window tests read back on their own: a .DTA file's codes, without
// the program's reader, and the history dialog's list once its thread has
// handed it over.
#pragma once

#include <QApplication>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/History_dialog.h"

namespace velqoris::testing {

// Each data line between "D:" and "DEND:" as one code, or as a CH0,CH1 pair.
inline std::vector<std::pair<std::int32_t, std::int32_t>> DataFileLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::pair<std::int32_t, std::int32_t>> lines;
  std::string line;
  bool data = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "DEND:") break;
    if (data) {
      const auto comma = line.find(',');
      lines.emplace_back(std::stoi(line.substr(0, comma)),
                         comma == std::string::npos ? 0 : std::stoi(line.substr(comma + 1)));
    }
    if (line == "D:") data = true;
  }
  return lines;
}

// The codes of a one-channel file.
inline std::vector<std::int32_t> FileCodes(const std::string& path) {
  std::vector<std::int32_t> codes;
  for (const auto& [code, unused] : DataFileLines(path)) codes.push_back(code);
  return codes;
}

// True once the dialog's list arrived (within ten seconds).
inline bool WaitForList(const HistoryDialog& dialog) {
  for (int i = 0; i < 1000 && !dialog.Listed(); ++i) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return dialog.Listed();
}

}  // namespace velqoris::testing
