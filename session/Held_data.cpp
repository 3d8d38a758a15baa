#include "session/Held_data.h"

#include "session/Run_file.h"
#include "session/Stats_line.h"
#include "datafile/Myfile.h"

namespace velqoris::cli {

bool HeldData::Load(const std::string& path) {
  // Loading never writes, so the overwrite question cannot come up.
  TmyFile file([](const std::string&) { return false; });
  return LoadRun(file, path, data);
}

CodeConverter HeldData::Converter() const {
  return [this](std::int32_t code) { return scale.CodeToMicrovolts(code); };
}

void HeldData::Compute() {
  data.ConvertAll(Converter());
  data.CalcCodeStats();
  data.CalcVoltStats();
}

std::vector<std::string> HeldData::StatsLines(bool voltMode) {
  std::vector<std::string> lines;
  if (data.fCH0Data) lines.push_back(StatsLine(StatsOf(data, scale, 0), voltMode));
  if (data.fCH1Data) lines.push_back(StatsLine(StatsOf(data, scale, 1), voltMode));
  return lines;
}

}  // namespace velqoris::cli
