// The test-signal options of the virtual board, as the command-line tool and
// the demo program accept them:
//   --sine CH,HZ,VOLTS[,H2dBc[,H3dBc]]   a sine with its 2nd and 3rd harmonics
//   --sine CH,off                        the channel's own slow sine switched off
//   --mains CH,50|60,VOLTS                mains pickup
// Plain C++; errors are Japanese texts for the usage message.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "virtualboard/Option_text.h"
#include "virtualboard/Signal_model.h"

namespace velqoris {

struct SineOption {
  int channel = 0;
  double frequencyHz = 0.0;
  double amplitudeVolts = 0.0;   // peak, at the pins
  double harmonic2Dbc = -200.0;  // below the sine; -200 is none
  double harmonic3Dbc = -200.0;
  // "off": the channel keeps its offset and loses its sine (drift and 1/f alone).
  bool off = false;
};

struct MainsOption {
  int channel = 0;
  double frequencyHz = 50.0;
  double amplitudeVolts = 0.0;
};

// The parsed option, or the error text.
std::variant<SineOption, std::string> ParseSineOption(std::string_view text);
std::variant<MainsOption, std::string> ParseMainsOption(std::string_view text);

// A sine replaces the channel's own signal (its offset and slow wander), "off"
// takes the sine away and keeps the offset; mains pickup adds to whatever the
// channel carries.
void ApplySignalOption(SignalModel& model, const SineOption& sine);
void ApplySignalOption(SignalModel& model, const MainsOption& mains);

inline constexpr OptionText kSineOptionText = {
    "--sine", "CH,HZ,VOLTS[,H2dBc[,H3dBc]]",
    "仮想ボードの CH (0 か 1) に正弦波を入れます: 周波数 [Hz]、\n"
    "振幅 [V] (ピーク)、第 2・第 3 高調波のレベル [dBc] (省略時なし)\n"
    "CH,off: CH のゆっくりした正弦波を止めます (オフセットは残ります)"};
inline constexpr OptionText kMainsOptionText = {
    "--mains", "CH,50|60,VOLTS",
    "仮想ボードの CH に電源ノイズ (50 Hz か 60 Hz、振幅 [V]) を加えます"};

// Usage lines for both options, in Japanese.
std::string SignalOptionsUsage();

}  // namespace velqoris
