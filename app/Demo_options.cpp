#include "app/Demo_options.h"

#include <string_view>

namespace velqoris {

std::variant<DemoOptions, std::string> ParseDemoArguments(const std::vector<std::string>& args) {
  DemoOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    std::string_view name = arg;
    std::string value;
    bool hasValue = false;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = std::string(arg.substr(eq + 1));
      hasValue = true;
    }
    if (name != "--sine" && name != "--mains" && name != "--drift" && name != "--flicker") {
      return "不明なオプションです: " + std::string(arg);
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) return std::string(name) + " に値がありません";
      value = args[++i];
    }
    if (name == "--sine") {
      auto parsed = ParseSineOption(value);
      if (auto* error = std::get_if<std::string>(&parsed)) return *error;
      options.sines.push_back(std::get<SineOption>(parsed));
    } else if (name == "--drift") {
      auto parsed = ParseDriftOption(value);
      if (auto* error = std::get_if<std::string>(&parsed)) return *error;
      options.drifts.push_back(std::get<DriftOption>(parsed));
    } else if (name == "--flicker") {
      auto parsed = ParseFlickerOption(value);
      if (auto* error = std::get_if<std::string>(&parsed)) return *error;
      options.flickers.push_back(std::get<FlickerOption>(parsed));
    } else {
      auto parsed = ParseMainsOption(value);
      if (auto* error = std::get_if<std::string>(&parsed)) return *error;
      options.mains.push_back(std::get<MainsOption>(parsed));
    }
  }
  return options;
}

void ApplyDemoOptions(SignalModel& model, const DemoOptions& options) {
  // Sines first: a sine replaces a channel's signal, mains pickup adds to it.
  for (const SineOption& s : options.sines) ApplySignalOption(model, s);
  for (const MainsOption& m : options.mains) ApplySignalOption(model, m);
  for (const DriftOption& d : options.drifts) ApplySlowNoiseOption(model, d);
  for (const FlickerOption& f : options.flickers) ApplySlowNoiseOption(model, f);
}

std::string DemoUsage() {
  return "使い方: velqoris-demo [--sine CH,HZ,VOLTS[,H2dBc[,H3dBc]]] [--mains CH,50|60,VOLTS]\n"
         "                     [--drift CH,UV_PER_HOUR] [--flicker CH,CORNER_HZ]\n"
         "仮想ボードで VELQORIS の画面を動かします。\n" +
         SignalOptionsUsage() + SlowNoiseOptionsUsage();
}

}  // namespace velqoris
