// velqoris-demo's arguments: the virtual board's test signals, parsed by
// virtualboard/Signal_options, e.g.
//   velqoris-demo --sine 1,13,0.01,-70,-80 --mains 1,50,0.0001
// and the long-log signals (virtualboard/Slow_noise_options), e.g. --drift 0,50 --flicker 0,5
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "virtualboard/Signal_options.h"
#include "virtualboard/Slow_noise_options.h"

namespace velqoris {

struct DemoOptions {
  std::vector<SineOption> sines;
  std::vector<MainsOption> mains;
  std::vector<DriftOption> drifts;
  std::vector<FlickerOption> flickers;
  bool help = false;
};

// Each option as "--sine VALUE" or "--sine=VALUE". The options, or the error text.
std::variant<DemoOptions, std::string> ParseDemoArguments(const std::vector<std::string>& args);

void ApplyDemoOptions(SignalModel& model, const DemoOptions& options);

std::string DemoUsage();

}  // namespace velqoris
