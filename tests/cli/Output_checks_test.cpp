// What velqoris-cli does with outputs it must not or cannot write: a file
// with no samples, an output that is the input, a full stdout, and Qt's own
// English lines, which never reach the user.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "datafile/Myfile.h"
#include "session/Run_data.h"
#include "session/Run_file.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

std::string Save(const TempDir& dir, const std::string& name, int count) {
  RunData data;
  data.Settings.CHSel = 2;
  data.Settings.spsSel = 12;
  data.Settings.GainSel = 0;
  for (int i = 0; i < count; ++i) {
    data.Ch0.Codes[i] = 8388608 + (i % 7) - 3;
    data.Ch1.Codes[i] = 8388608 - (i % 5) + 2;
  }
  data.Ch0.Count = count;
  data.Ch1.Count = count;
  TmyFile file([](const std::string&) { return true; });
  const std::string path = dir.Path(name);
  EXPECT_TRUE(SaveRun(file, path, data));
  return path;
}

// Runs the tool through the shell, for redirections the pipes cannot give.
CliResult RunShell(const std::string& arguments, const TempDir& dir) {
  const std::string errPath = dir.Path("stderr.txt");
  const std::string command = "env -u XDG_RUNTIME_DIR '" + std::string(VELQORIS_CLI_PATH) + "' " +
                              arguments + " 2>'" + errPath + "'";
  const int status = std::system(command.c_str());
  CliResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadFile(errPath);
  return r;
}

TEST(CliEmptyFileTest, AFileWithoutSamplesIsRefusedAndNothingIsWritten) {
  TempDir dir;
  const std::string path = Save(dir, "empty.DTA", 0);
  const std::string png = dir.Path("out.png");
  const std::string csv = dir.Path("out.csv");
  const std::vector<std::vector<std::string>> commands = {
      {"analyze", path},
      {"analyze", path, "--json", "--png", png},
      {"spectrum", path, "--json", "--png", png, "--csv", csv},
      {"spectrum", path, "--csv", csv},
      {"stats", path},
      {"export", path, "--csv", csv}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0] + " " + args.back());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.err, "データがありません: " + path + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(std::filesystem::exists(png));
    EXPECT_FALSE(std::filesystem::exists(csv));
  }
  // plot keeps the window's empty graph.
  EXPECT_EQ(RunCli({"plot", path, "--png", png}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(png));
}

TEST(CliOutputTest, AnOutputThatIsTheInputIsRefusedAndTheFileIsKept) {
  TempDir dir;
  const std::string path = Save(dir, "run.DTA", 200);
  const std::string before = ReadFile(path);
  std::filesystem::create_symlink(path, dir.Path("link.DTA"));
  const std::string other = dir.Path("sub/../run.DTA");
  std::filesystem::create_directory(dir.Path("sub"));
  const std::vector<std::vector<std::string>> commands = {
      {"spectrum", path, "--csv", path},
      {"spectrum", path, "--png", dir.Path("link.DTA")},
      {"spectrum", dir.Path("link.DTA"), "--json", "--csv", dir.Path("ok.csv"), "--png", other},
      {"analyze", path, "--png", other},
      {"export", dir.Path("link.DTA"), "--csv", path},
      {"plot", path, "--png", path}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0] + " " + args.back());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(Has(r.err, "出力ファイルが入力ファイルと同じです")) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(path), before);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("ok.csv")));
  // Another existing file is overwritten only when asked.
  const std::string old = dir.Path("old.csv");
  { std::ofstream(old) << "x\n"; }
  const CliResult kept = RunCli({"export", path, "--csv", old});
  EXPECT_EQ(kept.exitCode, 5);
  EXPECT_EQ(kept.err,
            "ファイル：" + old + "があります。上書きしませんでした (--force で上書きします)\n");
  EXPECT_EQ(ReadFile(old), "x\n");
  EXPECT_EQ(RunCli({"export", path, "--csv", old, "--force"}).exitCode, 0);
  EXPECT_EQ(Lines(ReadFile(old)).size(), 201u);
}

TEST(CliOutputTest, AFailedWriteOnStdoutIsAnOutputError) {
  TempDir dir;
  const std::string path = Save(dir, "run.DTA", 200);
  for (const std::string& args : {"analyze '" + path + "' --json", "spectrum '" + path + "'",
                                  "stats '" + path + "'", std::string("stats --help")}) {
    SCOPED_TRACE(args);
    const CliResult r = RunShell(args + " >/dev/full", dir);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(Has(r.err, "標準出力に書き込めませんでした")) << r.err;
  }
  EXPECT_EQ(RunShell("stats '" + path + "' >/dev/null", dir).exitCode, 0);
}

TEST(CliOutputTest, APictureThatCannotBeWrittenGivesOnlyTheToolsMessage) {
  TempDir dir;
  const std::string path = Save(dir, "run.DTA", 200);
  for (const std::string command : {"plot", "analyze", "spectrum"}) {
    SCOPED_TRACE(command);
    // Without a runtime directory Qt would warn; a full disk fails the write.
    // A device is written in place (never renamed over), with --force as any existing file.
    const CliResult r =
        RunShell(command + " '" + path + "' --png /dev/full --force >/dev/null", dir);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_EQ(r.err, "PNG ファイルに書き込めませんでした: /dev/full: No space left on device\n");
  }
  const CliResult ok = RunShell("plot '" + path + "' --png '" + dir.Path("p.png") + "'", dir);
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.err, "");
}

// measure checks --out before it contacts the board (no board line on stdout),
// so a long run never ends in a refusal; a folder is never turned into a file.
TEST(CliOutputTest, MeasureRefusesItsOutputBeforeTheRun) {
  TempDir dir;
  { std::ofstream(dir.Path("old.DTA")) << "old\n"; }
  std::filesystem::create_directory(dir.Path("folder.DTA"));
  std::filesystem::create_directory(dir.Path("plain"));
  const struct {
    std::vector<std::string> out;
    std::string err;
  } cases[] = {
      {{"--out", dir.Path("old.DTA")},
       "ファイル：" + dir.Path("old.DTA") +
           "があります。上書きしませんでした (--force で上書きします)"},
      {{"--out", dir.Path("old")},
       "ファイル：" + dir.Path("old.DTA") +
           "があります。上書きしませんでした (--force で上書きします)"},
      {{"--out", dir.Path("plain")},
       "データ保存できませんでした: ファイルではなくフォルダです: " + dir.Path("plain")},
      {{"--out", dir.Path("folder.DTA"), "--force"},
       "データ保存できませんでした: ファイルではなくフォルダです: " + dir.Path("folder.DTA")},
      {{"--out", dir.Path("none/run")},
       "データ保存できませんでした: No such file or directory: " + dir.Path("none/run")},
      {{"--out", "/dev/null/run"}, "データ保存できませんでした: Not a directory: /dev/null/run"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out[1]);
    std::vector<std::string> args = {"measure", "--virtual", "--rate", "5", "--count", "10000"};
    args.insert(args.end(), c.out.begin(), c.out.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_EQ(r.err, c.err + "\n");
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(ReadFile(dir.Path("old.DTA")), "old\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("plain.DTA")));
}

}  // namespace
}  // namespace velqoris::testing
