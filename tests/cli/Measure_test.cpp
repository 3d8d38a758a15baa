// velqoris-cli measure end to end on the virtual board (real time, short runs):
// each channel mode, the settings in the saved file, the save rules, every
// board failure and Ctrl-C.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "datafile/Myfile.h"
#include "datafile/Utf8_path.h"
#include "session/Run_data.h"
#include "tests/cli/Cli_process.h"
#include "tests/support/Connect_failures.h"

namespace velqoris::testing {
namespace {

bool StartsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }
bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

struct Loaded {
  bool ok = false;
  MeasureSettings settings;
};

Loaded Load(const std::string& path, RunData& data) {
  Loaded l;
  TmyFile file([](const std::string&) { return false; });
  l.ok = file.LoadData(path, &l.settings, &data.Ch0, &data.Ch1);
  return l;
}

std::vector<std::string> Fast(std::vector<std::string> more) {
  std::vector<std::string> args = {"measure", "--virtual", "--rate", "4800", "--count", "100"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(CliMeasureTest, EachChannelModeRunsSavesAndReportsItsChannels) {
  TempDir dir;
  for (int ch = 0; ch <= 2; ++ch) {
    SCOPED_TRACE(ch);
    const std::string path = dir.Path("run" + std::to_string(ch) + ".DTA");
    const CliResult r = RunCli(Fast({"--channel", std::to_string(ch), "--out", path}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = Lines(r.out);
    ASSERT_EQ(out.size(), ch == 2 ? 3u : 2u) << r.out;
    EXPECT_EQ(out[0], "VELQORIS / 1.00");
    EXPECT_TRUE(StartsWith(out[1], ch == 1 ? "CH1 : 最大値：" : "CH0 : 最大値：")) << out[1];
    EXPECT_TRUE(Has(out[1], " digit / 標準偏差："));
    if (ch == 2) {
      EXPECT_TRUE(StartsWith(out[2], "CH1 : 最大値："));
    }
    EXPECT_TRUE(Has(r.err, "計測中です"));
    EXPECT_TRUE(Has(r.err, "計測終了しました"));
    EXPECT_TRUE(Has(r.err, "データファイルを保存しました"));

    RunData data;
    const Loaded l = Load(path, data);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.settings.CHSel, ch);
    EXPECT_EQ(l.settings.spsSel, 12);
    EXPECT_EQ(l.settings.DataCountSel, 0);
    EXPECT_EQ(data.Ch0.Count, ch == 1 ? 0 : 100);
    EXPECT_EQ(data.Ch1.Count, ch == 0 ? 0 : 100);

    // The lines printed after the run are the ones its file gives.
    const CliResult stats = RunCli({"stats", path});
    ASSERT_EQ(stats.exitCode, 0) << stats.err;
    EXPECT_EQ(stats.out, r.out.substr(out[0].size() + 1));
  }
}

// Japanese names go from the command line to the disk and back, whatever the
// system's code page.
TEST(CliMeasureTest, JapaneseFileNamesAreWrittenAndReadByThoseNames) {
  TempDir dir;
  const std::string path = dir.Path("ノイズ測定.DTA");
  const CliResult r = RunCli(Fast({"--channel", "2", "--out", path}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(dir.Path("")))) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(names, std::vector<std::string>{"ノイズ測定.DTA"});
  const CliResult stats = RunCli({"stats", path});
  ASSERT_EQ(stats.exitCode, 0) << stats.err;
  EXPECT_EQ(stats.out, r.out.substr(Lines(r.out).at(0).size() + 1));
}

TEST(CliMeasureTest, SettingsReachTheFileAndVoltModeReportsMicrovolts) {
  TempDir dir;
  const CliResult r = RunCli(Fast({"--gain", "8", "--filter", "sinc3", "--buffer", "on", "--chop",
                                   "on", "--volt", "--out", dir.Path("set.dta")}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(Lines(r.out).at(1), "[uV] / 標準偏差："));
  // The window's extension rule: exact upper-case ".DTA", else appended.
  EXPECT_FALSE(std::filesystem::exists(dir.Path("set.dta")));
  RunData data;
  const Loaded l = Load(dir.Path("set.dta.DTA"), data);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.settings.GainSel, 1);
  EXPECT_EQ(l.settings.fSinc4, 0);
  EXPECT_EQ(l.settings.fBUF_ON, 1);
  EXPECT_EQ(l.settings.fCHOP_ON, 1);

  EXPECT_EQ(RunCli(Fast({"--out", dir.Path("plain")})).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.Path("plain.DTA")));
}

TEST(CliMeasureTest, AnExistingFileIsKeptUnlessForced) {
  TempDir dir;
  const std::string path = dir.Path("keep.DTA");
  ASSERT_EQ(RunCli(Fast({"--out", path})).exitCode, 0);
  const std::string before = ReadFile(path);

  const CliResult declined = RunCli(Fast({"--channel", "2", "--out", path}));
  EXPECT_EQ(declined.exitCode, 5);
  EXPECT_TRUE(Has(declined.err, "ファイル：" + path + "があります。")) << declined.err;
  EXPECT_EQ(declined.out, "");  // refused before the board is contacted
  EXPECT_EQ(ReadFile(path), before);

  const CliResult forced = RunCli(Fast({"--channel", "2", "--out", path, "--force"}));
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  RunData data;
  ASSERT_TRUE(Load(path, data).ok);
  EXPECT_EQ(data.Ch1.Count, 100);
}

TEST(CliMeasureTest, AFileThatCannotBeWrittenIsExitFive) {
  TempDir dir;
  const CliResult r = RunCli(Fast({"--out", dir.Path("missing/run.DTA")}));
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_TRUE(Has(r.err, "データ保存できませんでした")) << r.err;
}

std::vector<ConnectFailure> CliConnectFailures() {
  std::vector<ConnectFailure> cases;
  for (const ConnectFailure& c : ConnectFailures()) {
    if (c.cliFault != nullptr) cases.push_back(c);
  }
  return cases;
}

class CliConnectTest : public ::testing::TestWithParam<ConnectFailure> {};

TEST_P(CliConnectTest, TheWindowsTextWithAHintAndNothingSaved) {
  TempDir dir;
  const std::string path = dir.Path("run.DTA");
  const CliResult r = RunCli(Fast({"--virtual-fault", GetParam().cliFault, "--out", path}));
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_TRUE(Has(r.err, GetParam().boxText)) << r.err;
  EXPECT_TRUE(Has(r.err, GetParam().cliHint)) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Failures, CliConnectTest, ::testing::ValuesIn(CliConnectFailures()),
                         ConnectFailureName);

TEST(CliMeasureTest, SetupAndReadFailuresShowTheWindowsTextsWithAHint) {
  struct Case {
    const char* fault;
    int exit;
    const char* text;
    const char* hint;
  };
  const std::vector<Case> cases = {
      {"refuse", 2, "VELQORIS Board がエラーです", "確認してください"},
      {"readerror", 3, "計測エラーで終了", nullptr},
      {"badframe", 3, "計測エラーで終了", nullptr},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    const std::string path = dir.Path(std::string(c.fault) + ".DTA");
    const CliResult r = RunCli(Fast({"--virtual-fault", c.fault, "--out", path}));
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    EXPECT_TRUE(Has(r.err, c.text)) << r.err;
    if (c.hint != nullptr) {
      EXPECT_TRUE(Has(r.err, c.hint)) << r.err;
    }
    EXPECT_FALSE(Has(r.out, "CH0 :"));
    EXPECT_FALSE(std::filesystem::exists(path));  // nothing is saved from a failed run
  }
}

#ifdef _WIN32
// The vendor library where Windows finds it (here on the PATH): with the seven
// ordinals it is used (the fake is no board, so nothing answers); with a
// function missing or numbered otherwise it is refused, and no board is found.
TEST(CliMeasureTest, OnlyAVendorLibraryWithTheSevenOrdinalsIsUsed) {
  struct Case {
    const char* dll;
    const char* text;
  };
  std::wstring path(32768, L'\0');
  path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32768));
  for (const Case& c :
       {Case{VELQORIS_FAKE_FTD2XX, "VELQORIS が応答しませんでした"},
        Case{VELQORIS_FAKE_FTD2XX_INCOMPLETE, "VELQORIS が見つかりませんでした"},
        Case{VELQORIS_FAKE_FTD2XX_MISNUMBERED, "VELQORIS が見つかりませんでした"}}) {
    SCOPED_TRACE(c.dll);
    const std::wstring folder = PathFromUtf8(c.dll).parent_path().make_preferred().native();
    ::SetEnvironmentVariableW(L"PATH", (folder + L";" + path).c_str());
    const CliResult r = RunCli({"measure", "--count", "100"});
    ::SetEnvironmentVariableW(L"PATH", path.c_str());
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Has(r.err, c.text)) << r.err;
  }
}
#endif

TEST(CliMeasureTest, EachCommandHasItsHelp) {
  for (const char* command : {"measure", "stats", "plot", "export"}) {
    const CliResult help = RunCli({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Has(help.out, std::string("velqoris-cli ") + command));
  }
}

TEST(CliMeasureTest, CtrlCStopsTheRunAndKeepsWhatArrived) {
  TempDir dir;
  const std::string path = dir.Path("stopped.DTA");
  bool sent = false;
  // 10000 samples at 100 sps take 100 s; the stop comes once a progress
  // line reports at least the ten results a stop keeps.
  const CliResult r =
      RunCli({"measure", "--virtual", "--rate", "100", "--count", "10000", "--out", path},
             [&](const std::string& err, pid_t pid) {
               if (sent) return;
               for (const std::string& line : Lines(err)) {
                 const std::string head = "データ番号：";
                 if (!StartsWith(line, head)) continue;
                 if (std::stoi(line.substr(head.size())) >= 10) {
                   Interrupt(pid);
                   sent = true;
                   return;
                 }
               }
             });
  ASSERT_TRUE(sent);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "計測中止しました"));
  EXPECT_FALSE(Has(r.err, "計測終了しました"));
  ASSERT_EQ(Lines(r.out).size(), 2u) << r.out;
  EXPECT_TRUE(StartsWith(Lines(r.out)[1], "CH0 : 最大値："));
  RunData data;
  const Loaded l = Load(path, data);
  ASSERT_TRUE(l.ok);
  EXPECT_GE(data.Ch0.Count, 10);
  EXPECT_LT(data.Ch0.Count, 10000);
  EXPECT_EQ(l.settings.DataCountSel, 6);  // the count chosen, not the count held
}

// Two virtual boards, each with its own noise: both runs complete with the
// count asked, each printed under its heading and saved as FILE_SERIAL.DTA.
TEST(CliMeasureTest, TwoBoardsAreMeasuredSideBySideAndSavedOnePerBoard) {
  TempDir dir;
  const std::string out = dir.Path("two.DTA");
  const CliResult r = RunCli({"measure", "--virtual", "--virtual", "--rate", "4800", "--count",
                              "1000", "--channel", "2", "--out", dir.Path("two")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(out)));
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 8u) << r.out;
  std::vector<std::int32_t> firstCodes[2];
  for (int board = 0; board < 2; ++board) {
    const std::string serial = board == 0 ? "V0001" : "V0002";
    SCOPED_TRACE(serial);
    const std::size_t at = static_cast<std::size_t>(board) * 4;
    EXPECT_EQ(lines[at], "ボード " + serial);
    EXPECT_EQ(lines[at + 1], "VELQORIS / 1.00");
    EXPECT_TRUE(Has(r.err, "ボード " + serial + ": 計測終了しました")) << r.err;
    const std::string path = dir.Path("two_" + serial + ".DTA");
    // The path as the system writes it.
    const std::string shown = Utf8FromPath(PathFromUtf8(path).make_preferred());
    EXPECT_TRUE(Has(r.err, "データファイルを保存しました: " + shown)) << r.err;
    RunData data;
    ASSERT_TRUE(Load(path, data).ok);
    EXPECT_EQ(data.Ch0.Count, 1000);
    EXPECT_EQ(data.Ch1.Count, 1000);
    firstCodes[board].assign(data.Codes(0), data.Codes(0) + 1000);
    // The lines under the heading are the ones the board's own file gives.
    const CliResult stats = RunCli({"stats", path});
    ASSERT_EQ(stats.exitCode, 0) << stats.err;
    EXPECT_EQ(stats.out, lines[at + 2] + "\n" + lines[at + 3] + "\n");
  }
  EXPECT_NE(firstCodes[0], firstCodes[1]);
}

TEST(CliMeasureTest, SeveralBoardsRefuseAnExistingBoardFileBeforeAnyRun) {
  TempDir dir;
  const std::string taken = dir.Path("two_V0002.DTA");
  { std::ofstream(PathFromUtf8(taken)) << "keep"; }
  const CliResult r = RunCli({"measure", "--virtual", "--virtual", "--rate", "4800", "--count",
                              "100", "--out", dir.Path("two.DTA")});
  EXPECT_EQ(r.exitCode, 5) << r.err;
  // The path as the system writes it: its file name is the same everywhere.
  EXPECT_TRUE(Has(r.err, "two_V0002.DTAがあります")) << r.err;
  EXPECT_FALSE(Has(r.err, "計測中です"));
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(dir.Path("two_V0001.DTA"))));
  EXPECT_EQ(std::filesystem::file_size(PathFromUtf8(taken)), 4u);
}

}  // namespace
}  // namespace velqoris::testing
