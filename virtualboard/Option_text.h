// One command-line option of the virtual board as the usage texts show it:
// its name, the form of its value and its help (lines joined by '\n').
// The tool lays it out in its own option table; the demo lists it as below.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace velqoris {

struct OptionText {
  std::string_view name;
  std::string_view hint;
  std::string_view help;
};

// The option on a line of its own, its help below it at column 24.
inline std::string OptionUsage(const OptionText& option) {
  std::string s = "  " + std::string(option.name) + ' ' + std::string(option.hint) + '\n';
  std::string_view help = option.help;
  while (!help.empty()) {
    const std::size_t end = std::min(help.find('\n'), help.size());
    s += std::string(23, ' ') + std::string(help.substr(0, end)) + '\n';
    help.remove_prefix(std::min(end + 1, help.size()));
  }
  return s;
}

}  // namespace velqoris
