// The command line: the window's defaults, the choice lists, and clear usage errors.
#include <gtest/gtest.h>

#include "cli/Cli_options.h"

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

TEST(CliOptionsTest, AValueOutsideItsListNamesTheAllowedValues) {
  struct Case {
    std::vector<std::string> args;
    std::string allowed;
  };
  const std::vector<Case> cases = {
      {{"measure", "--rate", "7"}, "5, 10, 20, 50, 60, 100, 200, 400, 800, 960, 1200, 2400, 4800"},
      {{"measure", "--rate", "010"}, "5, 10, 20"},  // only the exact text of a choice
      {{"measure", "--count", "300"}, "100, 200, 500, 1000, 2000, 5000, 10000"},
      {{"measure", "--channel", "3"}, "0 (CH0), 1 (CH1), 2 (CH0 + CH1)"},
      {{"measure", "--gain", "2"}, "1, 8, 16, 32, 64, 128"},
      {{"measure", "--filter", "SINC4"}, "sinc3, sinc4"},
      {{"measure", "--buffer", "yes"}, "on, off"},
      {{"measure", "--chop", ""}, "on, off"},
  };
  for (const Case& c : cases) {
    const ParseResult r = Parse(c.args);
    EXPECT_FALSE(r.ok) << c.args[1];
    EXPECT_NE(r.error.find("選べる値: " + c.allowed), std::string::npos) << r.error;
  }
}

TEST(CliOptionsTest, MisusedCommandsAndOptionsAreUsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"measur"},
      {"measure", "--rate"},  // value missing
      {"measure", "--rate", "10", "--rate", "20"},
      {"measure", "--png", "x.png"},           // another command's option
      {"measure", "file.DTA"},                 // measure takes no file
      {"measure", "--volt=1"},                 // a flag takes no value
      {"measure", "--virtual-fault", "open"},  // only with --virtual
      {"measure", "--virtual", "--virtual-fault", "melt"},
      {"measure", "--out="},
      {"stats"},
      {"stats", "a.DTA", "b.DTA"},
      {"stats", "a.DTA", "--force"},
      {"plot", "a.DTA"},    // --png missing
      {"export", "a.DTA"},  // --csv missing
      {"export", "a.DTA", "--csv", "x.csv", "--volt"},
  };
  for (const auto& args : bad) {
    const ParseResult r = Parse(args);
    EXPECT_FALSE(r.ok) << (args.empty() ? "(none)" : args.back());
    EXPECT_FALSE(r.error.empty());
  }
}

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

}  // namespace
}  // namespace velqoris::cli
