// The command lines of log and sweep, and the durations they take.
#include <gtest/gtest.h>

#include <chrono>

#include "cli/Cli_options.h"
#include "cli/Duration_text.h"

namespace velqoris::cli {
namespace {

using std::chrono::milliseconds;

ParseResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(DurationTextTest, UnitsSumsAndRefusals) {
  EXPECT_EQ(ParseDuration("90s"), milliseconds(90000));
  EXPECT_EQ(ParseDuration("45m"), milliseconds(45 * 60000));
  EXPECT_EQ(ParseDuration("12h"), milliseconds(12 * 3600000));
  EXPECT_EQ(ParseDuration("1h30m"), milliseconds(5400000));
  EXPECT_EQ(ParseDuration("2.5m"), milliseconds(150000));
  EXPECT_EQ(ParseDuration("10"), milliseconds(10000));
  for (const char* bad : {"", "0s", "s", "10x", "1h30", "-5s", "1..5s", ".s", "10000h1s"}) {
    EXPECT_FALSE(ParseDuration(bad).has_value()) << bad;
  }
  // Numbers beyond a double either way are refusals, not exceptions.
  const std::string nines(400, '9');
  const std::string tiny = "0." + std::string(400, '0') + "1s";
  for (const std::string& bad :
       std::vector<std::string>{nines + "s", nines, "1h" + nines + "m", tiny, "1e5s"}) {
    EXPECT_FALSE(ParseDuration(bad).has_value()) << bad.size();
  }
  EXPECT_EQ(ParseDuration("0.0000001h1s"), milliseconds(1000));
  for (const char* option : {"--duration", "--max-time"}) {
    const ParseResult r = Parse({option == std::string("--duration") ? "log" : "sweep", "--csv",
                                 "a.csv", option, nines + "s"});
    EXPECT_FALSE(r.ok) << option;
    EXPECT_NE(r.error.find(option), std::string::npos) << r.error;
    EXPECT_FALSE(Parse({"log", "--csv", "a.csv", "--duration", tiny}).ok);
  }
  EXPECT_FALSE(Parse({"log", "--csv", "a.csv", "--count", nines}).ok);
  EXPECT_FALSE(Parse({"sweep", "--count", nines}).ok);

  EXPECT_EQ(TimeLeftText(std::chrono::seconds(123)), "残り 2:03");
  EXPECT_EQ(TimeLeftText(std::chrono::seconds(3723)), "残り 1:02:03");
  EXPECT_EQ(TimeLeftText(milliseconds(200)), "残り 0:01");  // rounded up: never 0 while running
}

TEST(LongRunOptionsTest, LogTakesAnyCountUpToOneStartCommandOrADuration) {
  ParseResult r = Parse({"log", "--virtual", "--rate", "4800", "--channel", "2", "--count",
                         "1048575", "--csv", "a.csv"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.command, Command::kLog);
  EXPECT_EQ(r.options.runCount, 1048575);
  EXPECT_EQ(r.options.settings.CHSel, 2);
  r = Parse({"log", "--duration", "12h", "--csv", "a.csv"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.durationMs, 12 * 3600000);

  EXPECT_FALSE(Parse({"log", "--count", "1048576", "--csv", "a.csv"}).ok);
  EXPECT_FALSE(Parse({"log", "--count", "0", "--csv", "a.csv"}).ok);
  EXPECT_FALSE(Parse({"log", "--count", "12x", "--csv", "a.csv"}).ok);
  EXPECT_FALSE(Parse({"log", "--count", "100"}).ok);  // no file
  EXPECT_FALSE(Parse({"log", "--csv", "a.csv"}).ok);  // neither count nor duration
  r = Parse({"log", "--count", "100", "--duration", "1m", "--csv", "a.csv"});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("どちらか一つ"), std::string::npos);
  // measure keeps the window's list of counts.
  EXPECT_FALSE(Parse({"measure", "--count", "123"}).ok);
  EXPECT_FALSE(Parse({"measure", "--duration", "1m"}).ok);
}

TEST(LongRunOptionsTest, SweepListsKeepTheirOrderAndAllMeansEveryChoice) {
  ParseResult r = Parse({"sweep", "--virtual", "--rates", "4800,2400,1200", "--gains", "1,8,128",
                         "--count", "500", "--channel", "1", "--max-time", "20s"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.command, Command::kSweep);
  EXPECT_EQ(r.options.rateSels, (std::vector<int>{12, 11, 10}));
  EXPECT_EQ(r.options.gainSels, (std::vector<int>{0, 1, 5}));
  EXPECT_EQ(r.options.runCount, 500);
  EXPECT_EQ(r.options.durationMs, 20000);
  EXPECT_EQ(r.options.settings.CHSel, 1);
  r = Parse({"sweep", "--rates", "all", "--gains", "all,"});
  EXPECT_FALSE(r.ok);
  r = Parse({"sweep", "--rates", "all", "--gains", "all"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.rateSels.size(), 13u);
  EXPECT_EQ(r.options.gainSels.size(), 6u);
  EXPECT_EQ(Parse({"sweep", "--rates", "10,10"}).options.rateSels, std::vector<int>{1});

  // A sweep's cell needs the ten results its figures are made of; a log does not.
  r = Parse({"sweep", "--count", "9"});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("10 から"), std::string::npos) << r.error;
  EXPECT_FALSE(Parse({"sweep", "--count", "1"}).ok);
  EXPECT_EQ(Parse({"sweep", "--count", "10"}).options.runCount, 10);
  EXPECT_EQ(Parse({"log", "--count", "1", "--csv", "a.csv"}).options.runCount, 1);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"sweep", "--rates", "4801"},
                                              {"sweep", "--rates", ""},
                                              {"sweep", "--gains", "2"},
                                              {"sweep", "--channel", "2"},
                                              {"sweep", "--out", "x.DTA"},
                                              {"sweep", "--duration", "1m"}}) {
    EXPECT_FALSE(Parse(bad).ok) << bad[1];
  }
}

}  // namespace
}  // namespace velqoris::cli
