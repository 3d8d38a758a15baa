// Data held by the tool: the window's RunData with the axis scaling over it,
// which converts codes as the graph does and answers the extremes of the
// statistics line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "session/Run_data.h"
#include "graph/Axis_scale.h"

namespace velqoris::cli {

class HeldData {
 public:
  HeldData() = default;
  HeldData(const HeldData&) = delete;
  HeldData& operator=(const HeldData&) = delete;

  // Loads a data file as the window does; false when it is not correct.
  bool Load(const std::string& path);
  // Microvolts and statistics of what the flags say is held.
  void Compute();
  // One statistics line per channel held, CH0 first.
  std::vector<std::string> StatsLines(bool voltMode);
  CodeConverter Converter() const;

  RunData data;
  TAxisScale scale{data.Ch0, data.Ch1, data.Settings};
};

}  // namespace velqoris::cli
