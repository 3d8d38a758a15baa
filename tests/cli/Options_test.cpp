// The command line: the window's defaults, the choice lists, and clear usage errors.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "cli/Cli_options.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::cli {
namespace {

ParseResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CliOptionsTest, MeasureStartsFromTheWindowsDefaults) {
  const ParseResult r = Parse({"measure"});
  ASSERT_TRUE(r.ok) << r.error;
  const MeasureSettings& s = r.options.settings;
  EXPECT_EQ(r.options.command, Command::kMeasure);
  EXPECT_EQ(s.spsSel, 1);        // 10 sps
  EXPECT_EQ(s.DataCountSel, 3);  // 1000
  EXPECT_EQ(s.CHSel, 0);
  EXPECT_EQ(s.GainSel, 0);
  EXPECT_EQ(s.Gain, 1);
  EXPECT_EQ(s.fSinc4, 1);
  EXPECT_EQ(s.fBUF_ON, 0);
  EXPECT_EQ(s.fCHOP_ON, 0);
  EXPECT_FALSE(r.options.volt);
  EXPECT_FALSE(r.options.virtualBoard);
  EXPECT_FALSE(r.options.force);
  EXPECT_TRUE(r.options.out.empty());
}

TEST(CliOptionsTest, EveryValueBecomesItsListIndex) {
  const ParseResult r = Parse({"measure", "--virtual", "--rate", "4800", "--count=10000",
                               "--channel", "2", "--gain", "128", "--filter", "sinc3", "--buffer",
                               "on", "--chop=on", "--volt", "--out", "a.DTA", "--force"});
  ASSERT_TRUE(r.ok) << r.error;
  const MeasureSettings& s = r.options.settings;
  EXPECT_EQ(s.spsSel, 12);
  EXPECT_EQ(s.DataCountSel, 6);
  EXPECT_EQ(s.CHSel, 2);
  EXPECT_EQ(s.GainSel, 5);
  EXPECT_EQ(s.Gain, 128);
  EXPECT_EQ(s.fSinc4, 0);
  EXPECT_EQ(s.fBUF_ON, 1);
  EXPECT_EQ(s.fCHOP_ON, 1);
  EXPECT_TRUE(r.options.virtualBoard && r.options.volt && r.options.force);
  EXPECT_EQ(r.options.out, "a.DTA");

  for (std::size_t i = 0; i < kDataRates.size(); ++i) {
    const ParseResult rate = Parse({"measure", "--rate", std::to_string(kDataRates[i])});
    ASSERT_TRUE(rate.ok);
    EXPECT_EQ(rate.options.settings.spsSel, static_cast<int>(i));
  }
}

// Every usage error, parsed and then given to the tool itself: the parser
// refuses it with a text naming what is wrong (and the allowed values where
// there is a list), and the tool exits with 1, that text and its usage on
// the error stream, and nothing on the output.
struct UsageError {
  std::vector<std::string> args;
  std::string says;  // part of the error text; empty when any text will do
};

class UsageErrorTest : public ::testing::TestWithParam<UsageError> {};

TEST_P(UsageErrorTest, RefusedWithItsTextAndExitOne) {
  const UsageError& c = GetParam();
  const ParseResult parsed = Parse(c.args);
  EXPECT_FALSE(parsed.ok);
  EXPECT_FALSE(parsed.error.empty());
  EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;

  const testing::CliResult run = testing::RunCli(c.args);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("使い方:"), std::string::npos) << run.err;
}

const UsageError kUsageErrors[] = {
    // A value outside its list names the allowed values.
    {{"measure", "--rate", "7"},
     "選べる値: 5, 10, 20, 50, 60, 100, 200, 400, 800, 960, 1200, 2400, 4800"},
    {{"measure", "--rate", "010"}, "選べる値: 5, 10, 20"},  // only the exact text of a choice
    {{"measure", "--count", "300"}, "選べる値: 100, 200, 500, 1000, 2000, 5000, 10000"},
    {{"measure", "--virtual", "--count", "150"}, "選べる値: 100, 200, 500, 1000, 2000, 5000"},
    {{"measure", "--channel", "3"}, "選べる値: 0 (CH0), 1 (CH1), 2 (CH0 + CH1)"},
    {{"measure", "--gain", "2"}, "選べる値: 1, 8, 16, 32, 64, 128"},
    {{"measure", "--filter", "SINC4"}, "選べる値: sinc3, sinc4"},
    {{"measure", "--buffer", "yes"}, "選べる値: on, off"},
    {{"measure", "--chop", ""}, "選べる値: on, off"},
    {{"spectrum", "f.DTA", "--window", "flattop"}, "rect, hann, blackman-harris"},
    {{"serve", "--port", "65536"}, "0 (空いているポート) から 65535 までの整数"},
    {{"serve", "--port", "-1"}, "65535 までの整数"},
    {{"serve", "--listen", ""}, "アドレスがありません"},
    // Misused commands and options.
    {{}, ""},
    {{"measur"}, ""},
    {{"calibrate"}, ""},
    {{"measure", "--rate"}, ""},  // value missing
    {{"measure", "--rate", "10", "--rate", "20"}, ""},
    {{"measure", "--png", "x.png"}, ""},           // another command's option
    {{"measure", "file.DTA"}, ""},                 // measure takes no file
    {{"measure", "--volt=1"}, ""},                 // a flag takes no value
    {{"measure", "--virtual-fault", "open"}, ""},  // only with --virtual
    {{"measure", "--virtual", "--virtual-fault", "melt"}, ""},
    {{"measure", "--out="}, ""},
    {{"measure", "--sine", "1,10,0.1"}, "--virtual"},  // test signals only on the virtual board
    {{"measure", "--virtual", "--sine", "1,10"}, "CH,HZ,VOLTS"},
    {{"stats"}, ""},
    {{"stats", "a.DTA", "b.DTA"}, ""},
    {{"stats", "a.DTA", "--force"}, ""},
    {{"stats", "f.DTA", "--json"}, ""},
    {{"plot", "a.DTA"}, ""},    // --png missing
    {{"export", "a.DTA"}, ""},  // --csv missing
    {{"export", "a.DTA", "--csv", "x.csv", "--volt"}, ""},
    {{"analyze"}, ""},
};

std::string UsageErrorName(const ::testing::TestParamInfo<UsageError>& info) {
  std::string name = std::to_string(info.index);
  for (const std::string& arg : info.param.args) {
    name += '_';
    for (const char c : arg) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cli, UsageErrorTest, ::testing::ValuesIn(kUsageErrors), UsageErrorName);

TEST(CliOptionsTest, FileCommandsTakeTheirFileAndOutputs) {
  ParseResult r = Parse({"plot", "--volt", "in.DTA", "--png", "out.png"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.command, Command::kPlot);
  EXPECT_EQ(r.options.file, "in.DTA");
  EXPECT_EQ(r.options.png, "out.png");
  EXPECT_TRUE(r.options.volt);

  r = Parse({"export", "in.DTA", "--csv=out.csv"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.csv, "out.csv");

  // Help needs none of the required parts.
  r = Parse({"plot", "--help"});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.options.help);
  EXPECT_FALSE(r.options.generalHelp);
  r = Parse({"--help"});
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.options.generalHelp);
}

// An existing output is replaced only when asked, by every command that writes one.
TEST(CliOptionsTest, EveryCommandThatWritesAFileTakesForceAndSaysSo) {
  const std::vector<std::vector<std::string>> commands = {
      {"plot", "a.DTA", "--png", "x.png"},
      {"export", "a.DTA", "--csv", "x.csv"},
      {"sweep", "--virtual", "--csv", "x.csv"},
      {"analyze", "a.DTA", "--png", "x.png"},
      {"spectrum", "a.DTA", "--csv", "x.csv"},
      {"stability", "a.csv", "--png", "x.png"},
      {"log", "--virtual", "--count", "10", "--csv", "x.csv"},
      {"measure", "--out", "x.DTA"}};
  for (std::vector<std::string> args : commands) {
    SCOPED_TRACE(args[0]);
    args.push_back("--force");
    const ParseResult r = Parse(args);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.options.force);
    EXPECT_NE(HelpText(r.options.command).find("--force"), std::string::npos);
    EXPECT_NE(UsageText().find("velqoris-cli " + args[0]), std::string::npos);
  }
}

}  // namespace
}  // namespace velqoris::cli
