// velqoris-cli log and sweep end to end on the virtual board (real time,
// short runs): the files they write, an existing file, failing settings and Ctrl-C.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

TEST(CliLogTest, WritesEveryRowAndPrintsTheStatistics) {
  TempDir dir;
  const std::string path = dir.Path("log.csv");
  const CliResult r = RunCli({"log", "--virtual", "--rate", "4800", "--channel", "2", "--count",
                              "2000", "--csv", path, "--volt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = Lines(ReadFile(path));
  ASSERT_EQ(rows.size(), 2010u);
  EXPECT_EQ(rows[2009].rfind("# end: finished, 20", 0), 0u) << rows[2009];
  // The settings first, one "# key: value" line each.
  const std::vector<std::string> settings(rows.begin(), rows.begin() + 7);
  EXPECT_EQ(settings, (std::vector<std::string>{
                          "# rate_sps: 4800", "# gain: 1", "# filter: sinc4", "# chop: off",
                          "# buffer: off", "# channels: ch0,ch1", "# board: VELQORIS / 1.00"}));
  // ISO 8601 with the offset: 2026-12-08T13:05:00+09:00.
  ASSERT_EQ(rows[7].size(), std::string("# start: 2026-12-08T13:05:00+09:00").size()) << rows[7];
  EXPECT_EQ(rows[7].rfind("# start: 20", 0), 0u);
  EXPECT_EQ(rows[7][19], 'T');
  EXPECT_TRUE(rows[7][28] == '+' || rows[7][28] == '-') << rows[7];
  EXPECT_EQ(rows[7][31], ':');
  EXPECT_EQ(rows[8], "sample,time_s,ch0_code,ch0_uV,ch1_code,ch1_uV");
  EXPECT_EQ(rows[2008].rfind("2000,0.416458,", 0), 0u) << rows[2008];
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 5u) << r.out;
  EXPECT_EQ(out[0], "VELQORIS / 1.00");
  EXPECT_EQ(out[1].rfind("CH0 : 最大値：", 0), 0u);
  EXPECT_TRUE(Has(out[1], "[uV] / 標準偏差："));
  EXPECT_EQ(out[2].rfind("CH0 : データ数：2000 / 平均値：", 0), 0u) << out[2];
  EXPECT_EQ(out[3].rfind("CH1 : 最大値：", 0), 0u);
  EXPECT_TRUE(Has(r.err, "計測終了しました"));
  EXPECT_TRUE(Has(r.err, "CSV ファイルに 2000 件書き込みました"));

  // The file is not replaced without --force.
  const CliResult again = RunCli({"log", "--virtual", "--count", "10", "--csv", path});
  EXPECT_EQ(again.exitCode, 5);
  EXPECT_EQ(Lines(ReadFile(path)).size(), 2010u);
  const CliResult forced =
      RunCli({"log", "--virtual", "--rate", "4800", "--count", "10", "--csv", path, "--force"});
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(Lines(ReadFile(path)).size(), 20u);
}

TEST(CliLogTest, CtrlCStopsTheBoardClosesTheFileAndPrintsTheStatisticsSoFar) {
  TempDir dir;
  const std::string path = dir.Path("stop.csv");
  bool sent = false;
  // 60 s at 100 sps; the stop comes with the first progress line.
  const CliResult r =
      RunCli({"log", "--virtual", "--rate", "100", "--duration", "60s", "--csv", path},
             [&](const std::string& err, pid_t pid) {
               if (!sent && Has(err, "データ番号：")) {
                 Interrupt(pid);
                 sent = true;
               }
             });
  ASSERT_TRUE(sent);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "計測中止しました"));
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  const std::string head = "CH0 : データ数：";
  ASSERT_EQ(out[2].rfind(head, 0), 0u);
  const int n = std::stoi(out[2].substr(head.size()));
  EXPECT_GE(n, 1);
  EXPECT_LT(n, 6000);
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.back(), '\n');
  // 8 settings lines, the header, the rows and the end line.
  EXPECT_EQ(Lines(text).size(), static_cast<std::size_t>(n) + 10);
  EXPECT_EQ(Lines(text).back().rfind("# end: stopped, ", 0), 0u);
}

TEST(CliLogTest, AReadErrorEndsTheLogWithTheRowsSoFar) {
  TempDir dir;
  const std::string path = dir.Path("err.csv");
  const CliResult r = RunCli({"log", "--virtual", "--rate", "4800", "--count", "1000", "--csv",
                              path, "--virtual-fault", "readerror"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_TRUE(Has(r.err, "計測エラーで終了"));
  // The fault strikes once 20 frames are read: after the first whole block of 50.
  EXPECT_EQ(Lines(ReadFile(path)).size(), 60u);
  EXPECT_EQ(Lines(ReadFile(path)).back().rfind("# end: board error, ", 0), 0u);
  EXPECT_TRUE(Has(r.out, "CH0 : データ数：50 / "));
}

TEST(CliSweepTest, PrintsTheTableAndWritesItsCsvAndPicture) {
  TempDir dir;
  const CliResult r =
      RunCli({"sweep", "--virtual", "--rates", "4800,2400", "--gains", "1,128", "--count", "300",
              "--csv", dir.Path("s.csv"), "--png", dir.Path("s.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto out = Lines(r.out);
  ASSERT_GE(out.size(), 8u) << r.out;
  EXPECT_TRUE(Has(r.out, "— 測定値"));
  EXPECT_TRUE(Has(r.out, "— 代表値"));
  EXPECT_TRUE(Has(r.out, "測定値 / 代表値"));
  EXPECT_TRUE(Has(r.out, "              4800 |"));
  EXPECT_TRUE(Has(r.out, "127.5 (15.5)"));  // the typical figure at 4800 sps, gain 128
  const auto csv = Lines(ReadFile(dir.Path("s.csv")));
  ASSERT_EQ(csv.size(), 5u);
  EXPECT_EQ(csv[1].rfind("4800,1,0,sinc4,off,off,300,ok,", 0), 0u) << csv[1];
  EXPECT_EQ(ReadFile(dir.Path("s.png")).substr(1, 3), "PNG");
}

TEST(CliSweepTest, RefusedSettingsAreMarkedAndTheExitCodeSaysSo) {
  const CliResult r = RunCli({"sweep", "--virtual", "--rates", "4800", "--gains", "1,8", "--count",
                              "100", "--virtual-fault", "refuse"});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  const auto out = Lines(r.out);
  ASSERT_GE(out.size(), 7u);
  EXPECT_TRUE(Has(out[6], "設定エラー")) << out[6];
  EXPECT_TRUE(Has(r.err, "2 個の設定で測定できませんでした"));
}

TEST(CliSweepTest, APictureThatCannotBeWrittenStopsTheSweepBeforeItStarts) {
  TempDir dir;
  const CliResult r =
      RunCli({"sweep", "--virtual", "--rates", "4800", "--gains", "1", "--count", "10", "--csv",
              dir.Path("s.csv"), "--png", dir.Path("no/such/dir/s.png")});
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_EQ(r.out, "") << "nothing measured";
  EXPECT_EQ(r.err, "PNG ファイルに書き込めませんでした: " + dir.Path("no/such/dir/s.png") +
                       ": No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("s.csv")));
  // The check leaves an existing picture as it was and makes no new file.
  { std::ofstream(dir.Path("old.png")) << "old"; }
  ASSERT_EQ(RunCli({"sweep", "--virtual", "--rates", "4800", "--gains", "1", "--count", "10",
                    "--png", dir.Path("old.png"), "--virtual-fault", "open"})
                .exitCode,
            5);
  ASSERT_EQ(RunCli({"sweep", "--virtual", "--rates", "4800", "--gains", "1", "--count", "10",
                    "--png", dir.Path("old.png"), "--force", "--virtual-fault", "open"})
                .exitCode,
            2);
  EXPECT_EQ(ReadFile(dir.Path("old.png")), "old");
  ASSERT_EQ(RunCli({"sweep", "--virtual", "--rates", "4800", "--gains", "1", "--count", "10",
                    "--png", dir.Path("new.png"), "--virtual-fault", "open"})
                .exitCode,
            2);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("new.png")));
}

TEST(CliSweepTest, CtrlCKeepsTheTableSoFar) {
  bool sent = false;
  const CliResult r =
      RunCli({"sweep", "--virtual", "--rates", "4800,5", "--gains", "1", "--count", "500"},
             [&](const std::string& err, pid_t pid) {
               if (!sent && Has(err, "5 sps")) {
                 Interrupt(pid);
                 sent = true;
               }
             });
  ASSERT_TRUE(sent);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "計測中止しました"));
  EXPECT_TRUE(Has(r.out, "              4800 |"));
  EXPECT_TRUE(Has(r.out, "中止"));
}

}  // namespace
}  // namespace velqoris::testing
