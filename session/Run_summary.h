// What a list of kept runs shows of each before it is opened: its time from
// the file name, its settings, its sample count and the statistics lines of
// its channels, read and computed as the window's own load does.
#pragma once

#include <string>
#include <vector>

#include "records/Measure_settings.h"

namespace velqoris {

// "CH0 + CH1 / 4800 sps / 1000 点 / ゲイン 1 / Sinc4 / BUF OFF / CHOP OFF";
// an unknown rate or gain is left out.
std::string SettingsSummary(const MeasureSettings& settings, int count);

struct RunSummary {
  std::string path;
  // "2024-05-01 12:30:05" from a history name, else the file name.
  std::string when;
  bool readable = false;
  MeasureSettings settings;
  int count = 0;
  // One statistics line per channel held, CH0 first, in codes and in µV.
  std::vector<std::string> codeLines;
  std::vector<std::string> voltLines;
};

RunSummary SummariseRun(const std::string& path);

// The .DTA files of a folder, newest first (history names sort by time).
std::vector<std::string> RunFilesNewestFirst(const std::string& folder);

}  // namespace velqoris
