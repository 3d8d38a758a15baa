// Every declared option, against every command: taken with a value it allows
// by the commands that declare it, shown in their usage and help, refused by
// the others; a usage error shows only its own command's usage.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "cli/Cli_option_table.h"

namespace velqoris::cli {
namespace {

// A value every command that takes the option allows.
const std::map<std::string, std::string> kGoodValues = {
    {"--device", "FT1234"}, {"--rates", "4800,10"}, {"--gains", "1,128"},
    {"--rate", "4800"},     {"--count", "1000"},    {"--duration", "1m"},
    {"--max-time", "20s"},  {"--channel", "1"},     {"--gain", "8"},
    {"--filter", "sinc3"},  {"--buffer", "on"},     {"--chop", "on"},
    {"--window", "hann"},   {"--png", "x.png"},     {"--out", "x.DTA"},
    {"--csv", "x.csv"},     {"--sine", "0,10,0.1"}, {"--mains", "0,50,0.001"},
    {"--drift", "0,1"},     {"--flicker", "0,1"},   {"--virtual-fault", "open"},
    {"--h5", "x.h5"},       {"--lp", "-"},          {"--port", "0"},
    {"--listen", "::1"},    {"--data-dir", "logs"},
};

// What each command needs besides the option tried.
std::vector<std::string> Base(const CommandSpec& c, const std::string& tried) {
  std::vector<std::string> args = {c.name};
  if (c.takesFile) args.push_back("in.DTA");
  const auto add = [&](const std::string& name, const std::string& value) {
    if (name == tried || (name == "--count" && tried == "--duration")) return;
    args.push_back(name);
    if (!value.empty()) args.push_back(value);
  };
  if (c.command == Command::kMeasure || c.command == Command::kLog ||
      c.command == Command::kSweep || c.command == Command::kServe)
    add("--virtual", "");
  if (c.command == Command::kLog) add("--count", "5");
  if (c.command == Command::kLog || c.command == Command::kExport) add("--csv", "a.csv");
  if (c.command == Command::kPlot) add("--png", "a.png");
  return args;
}

bool Takes(const std::string& name, Command command) {
  const auto& options = OptionSpecs();
  return std::any_of(options.begin(), options.end(), [&](const OptionSpec& o) {
    return o.name == name && UseBy(o, command) != nullptr;
  });
}

TEST(OptionTable, EveryOptionParsesShowsAndIsRefusedElsewhere) {
  for (const OptionSpec& option : OptionSpecs()) {
    const std::string head = option.hint.empty() ? option.name : option.name + ' ' + option.hint;
    ASSERT_TRUE(option.hint.empty() || kGoodValues.count(option.name) != 0) << option.name;
    for (const CommandSpec& command : CommandSpecs()) {
      std::vector<std::string> args = Base(command, option.name);
      args.push_back(option.name);
      if (!option.hint.empty()) args.push_back(kGoodValues.at(option.name));
      const ParseResult r = ParseCommandLine(args);
      const OptionUse* use = UseBy(option, command.command);
      if (use == nullptr) {
        if (Takes(option.name, command.command)) continue;  // another entry of the same name
        EXPECT_FALSE(r.ok) << command.name << ' ' << option.name;
        EXPECT_EQ(r.error, command.name + " では " + option.name + " は使えません");
        continue;
      }
      EXPECT_TRUE(r.ok) << command.name << ' ' << option.name << ": " << r.error;
      const std::string usage = UsageText(command.command);
      EXPECT_EQ(usage.find(head) != std::string::npos, use->shown != Shown::kHidden)
          << command.name << ' ' << head << '\n'
          << usage;
      const std::string help = HelpText(command.command);
      if (use->described == Described::kOwnText) {
        EXPECT_NE(help.find("  " + head), std::string::npos) << command.name << ' ' << head;
        EXPECT_NE(help.find(use->help.substr(0, use->help.find('\n'))), std::string::npos);
      } else if (use->described == Described::kAsMeasure) {
        EXPECT_NE(help.find(option.name), std::string::npos) << command.name << ' ' << head;
        EXPECT_NE(help.find("は measure と同じです。"), std::string::npos);
      }
      // Given twice: taken again only where one per channel is meant.
      if (!option.hint.empty()) {
        args.push_back(option.name);
        args.push_back(kGoodValues.at(option.name));
        EXPECT_EQ(ParseCommandLine(args).ok, option.repeatable) << command.name << ' ' << head;
      }
    }
  }
}

TEST(OptionTable, AUsageErrorShowsItsOwnCommandsUsage) {
  for (const CommandSpec& command : CommandSpecs()) {
    const ParseResult r = ParseCommandLine({command.name, "--no-such-option"});
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.usage, UsageText(command.command));
    EXPECT_EQ(r.usage.rfind("使い方:\n  velqoris-cli " + command.name + ' ', 0), 0u) << r.usage;
    for (const CommandSpec& other : CommandSpecs()) {
      if (other.command != command.command) {
        EXPECT_EQ(r.usage.find("velqoris-cli " + other.name + ' '), std::string::npos);
      }
    }
  }
  // Without a command: every command's usage.
  const ParseResult none = ParseCommandLine({"calibrate"});
  EXPECT_EQ(none.usage, UsageText());
  for (const CommandSpec& command : CommandSpecs()) {
    EXPECT_NE(none.usage.find("velqoris-cli " + command.name + ' '), std::string::npos);
  }
}

// The usage lines are wrapped for a terminal of 80 columns (CJK characters
// taking two).
TEST(OptionTable, UsageLinesFitEightyColumns) {
  const std::string usage = UsageText();
  std::size_t start = 0;
  while (start < usage.size()) {
    const std::size_t end = usage.find('\n', start);
    const std::string line = usage.substr(start, end - start);
    int columns = 0;
    for (const char c : line) {
      const auto b = static_cast<unsigned char>(c);
      if ((b & 0xC0) != 0x80) columns += b >= 0xE0 ? 2 : 1;
    }
    EXPECT_LE(columns, 80) << line;
    start = end + 1;
  }
}

}  // namespace
}  // namespace velqoris::cli
