#include "session/Held_data.h"

#include "datafile/Myfile.h"
#include "session/Run_file.h"
#include "session/Stats_line.h"

namespace velqoris {

bool HeldData::Load(const std::string& path) {
  // Loading never writes, so the overwrite question cannot come up.
  TmyFile file([](const std::string&) { return false; });
  return LoadRun(file, path, data);
}

void HeldData::Compute() {
  data.ConvertAll();
  data.CalcCodeStats();
  data.CalcVoltStats();
}

std::vector<std::string> HeldData::StatsLines(bool voltMode) {
  std::vector<std::string> lines;
  if (data.fCH0Data) lines.push_back(StatsLine(StatsOf(data, scale, 0), voltMode));
  if (data.fCH1Data) lines.push_back(StatsLine(StatsOf(data, scale, 1), voltMode));
  return lines;
}

}  // namespace velqoris
