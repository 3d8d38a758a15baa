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
    if (name != "--sine" && name != "--mains") {
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
}

std::string DemoUsage() {
  return "使い方: velqoris-demo [--sine CH,HZ,VOLTS[,H2dBc[,H3dBc]]] [--mains CH,50|60,VOLTS]\n"
         "仮想ボードで VELQORIS の画面を動かします。\n" +
         SignalOptionsUsage();
}

}  // namespace velqoris
