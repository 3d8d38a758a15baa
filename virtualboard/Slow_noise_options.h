// The long-log options of the virtual board, as the command-line tool and the
// demo program accept them (beside --sine and --mains):
//   --drift CH,UV_PER_HOUR     a linear drift of the input
//   --flicker CH,CORNER_HZ     1/f noise meeting the white noise at the corner
// Plain C++; errors are Japanese texts for the usage message.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "virtualboard/Option_text.h"
#include "virtualboard/Signal_model.h"

namespace velqoris {

struct DriftOption {
  int channel = 0;
  double microvoltsPerHour = 0.0;
};

struct FlickerOption {
  int channel = 0;
  double cornerHz = 0.0;
};

std::variant<DriftOption, std::string> ParseDriftOption(std::string_view text);
std::variant<FlickerOption, std::string> ParseFlickerOption(std::string_view text);

void ApplySlowNoiseOption(SignalModel& model, const DriftOption& drift);
void ApplySlowNoiseOption(SignalModel& model, const FlickerOption& flicker);

inline constexpr OptionText kDriftOptionText = {
    "--drift", "CH,UV_PER_HOUR", "仮想ボードの CH にゆっくりしたドリフト [uV/時] を加えます"};
inline constexpr OptionText kFlickerOptionText = {
    "--flicker", "CH,CORNER_HZ",
    "仮想ボードの CH に 1/f ノイズを加えます (白色ノイズと\n"
    "等しくなるコーナー周波数 [Hz])"};

// Usage lines for both options, in Japanese.
std::string SlowNoiseOptionsUsage();

}  // namespace velqoris
