// velqoris-cli driven into faults as a careful tester would, through the real
// executable: writers on a disk that fills up, killed or told to stop by a
// signal; readers given files no reader should take. Each case says what the
// user is told, what the exit code is, and that nothing is lost or half read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "datafile/Myfile.h"
#include "session/Log_reader.h"
#include "session/Run_data.h"
#include "session/Run_file.h"
#include "tests/cli/Cli_process.h"
#include "tests/support/Fault_tools.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

std::string SaveRunFile(const std::string& path, int count) {
  RunData data;
  data.Settings.CHSel = 0;
  data.Settings.spsSel = 12;
  for (int i = 0; i < count; ++i) data.Ch0.Codes[i] = 8388608 + (i * 7919) % 301 - 150;
  data.Ch0.Count = count;
  TmyFile file([](const std::string&) { return true; });
  EXPECT_TRUE(SaveRun(file, path, data));
  return path;
}

// A log's rows are whole and numbered from 1 without a hole; a last line
// without its line end (a killed writer) may follow them. Their count.
std::int64_t CheckRows(const std::string& text) {
  std::int64_t rows = 0;
  const auto lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] == '#' || line.starts_with("sample")) continue;
    if (i + 1 == lines.size() && text.back() != '\n') break;  // cut, and left out by readers
    long long sample = 0, code = 0;
    double t = 0, uv = 0;
    EXPECT_EQ(std::sscanf(line.c_str(), "%lld,%lf,%lld,%lf", &sample, &t, &code, &uv), 4) << line;
    EXPECT_EQ(sample, ++rows) << line;
  }
  return rows;
}

// The peak resident memory (kB) of one run of the tool.
long PeakOfCli(const std::vector<std::string>& args) {
  int pipe[2];
  if (::pipe(pipe) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    RunCli(args);
    struct rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const long peak = usage.ru_maxrss;
    (void)!::write(pipe[1], &peak, sizeof peak);
    std::_Exit(0);
  }
  ::close(pipe[1]);
  long peak = -1;
  if (::read(pipe[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  ::close(pipe[0]);
  ::waitpid(child, nullptr, 0);
  return peak;
}

// Writers × a disk that fills up: the old file survives a replacing write,
// a log ends on its last whole row, and every message gives the reason.
TEST(CliFaultTable, AFullDiskLosesNothingThatWasThereAndSaysWhy) {
  SmallDisk disk(512);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  TempDir dir;
  const std::string run = SaveRunFile(dir.Path("run.DTA"), 10000);
  const std::string log = dir.Path("log.csv");
  ASSERT_EQ(
      RunCli({"log", "--virtual", "--rate", "4800", "--count", "4000", "--csv", log}).exitCode, 0);
  const struct {
    const char* kind;
    std::vector<std::string> args;  // the output goes last
  } writers[] = {
      {"CSV", {"export", run, "--csv"}},    {"CSV", {"spectrum", run, "--csv"}},
      {"CSV", {"stability", log, "--csv"}}, {"PNG", {"plot", run, "--png"}},
      {"PNG", {"analyze", run, "--png"}},   {"PNG", {"stability", log, "--png"}},
  };
  const std::string old = disk.Path("old.out");
  { std::ofstream(old) << "the old file\n"; }
  disk.FillLeaving(2048);
  for (const auto& w : writers) {
    SCOPED_TRACE(w.args[0] + " " + w.args.back());
    std::vector<std::string> args = w.args;
    args.insert(args.end(), {old, "--force"});
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(Has(r.err, std::string(w.kind) + " ファイルに書き込めませんでした: " + old +
                               ": No space left on device"))
        << r.err;
    EXPECT_EQ(ReadFile(old), "the old file\n");
  }
  // A run whose file cannot fit is refused before the board is asked.
  const CliResult measure = RunCli({"measure", "--virtual", "--rate", "4800", "--count", "10000",
                                    "--out", disk.Path("run.DTA")});
  EXPECT_EQ(measure.exitCode, 5);
  EXPECT_TRUE(Has(measure.err, "ディスクの空きが足りません: " + disk.Path("run.DTA")))
      << measure.err;
  EXPECT_EQ(measure.out, "");
  const CliResult tooLong = RunCli(
      {"log", "--virtual", "--rate", "4800", "--duration", "10m", "--csv", disk.Path("long.csv")});
  EXPECT_EQ(tooLong.exitCode, 5);
  EXPECT_TRUE(Has(tooLong.err, "ディスクの空きが足りません")) << tooLong.err;
}

// A disk that fills while a log runs (another program takes the room): the
// log stops on a whole row, and what it prints is what is in the file.
TEST(CliFaultTable, ALogOnADiskThatFillsEndsOnAWholeRow) {
  for (const int leaveBytes : {0, 1000, 30000}) {
    SCOPED_TRACE(leaveBytes);
    SmallDisk disk(4096);  // room for the whole log when it starts
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string path = disk.Path("log.csv");
    bool filled = false;
    const CliResult r =
        RunCli({"log", "--virtual", "--rate", "4800", "--duration", "8s", "--csv", path},
               [&](const std::string& err, pid_t) {
                 if (!filled && Has(err, "データ番号：")) {
                   disk.FillLeaving(static_cast<std::uint64_t>(leaveBytes));
                   filled = true;
                 }
               });
    ASSERT_TRUE(filled);
    EXPECT_EQ(r.exitCode, 5) << r.err;
    EXPECT_TRUE(
        Has(r.err, "CSV ファイルに書き込めませんでした: " + path + ": No space left on device"))
        << r.err;
    const std::string text = ReadFile(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::int64_t rows = CheckRows(text);
    EXPECT_TRUE(Has(r.err, "ファイルにある " + std::to_string(rows) + " 件")) << r.err;
    EXPECT_TRUE(Has(r.out, "CH0 : データ数：" + std::to_string(rows) + " / ")) << r.out;
  }
}

// SIGTERM and SIGHUP stop a log as Ctrl-C does, and the file says so.
TEST(CliFaultTable, SigtermAndSighupStopALogCleanly) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::string path = dir.Path("log.csv");
    bool sent = false;
    const CliResult r =
        RunCli({"log", "--virtual", "--rate", "100", "--duration", "60s", "--csv", path},
               [&](const std::string& err, pid_t pid) {
                 if (!sent && Has(err, "データ番号：")) {
                   ::kill(pid, signal);
                   sent = true;
                 }
               });
    ASSERT_TRUE(sent);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "計測中止しました")) << r.err;
    const std::string text = ReadFile(path);
    const auto lines = Lines(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("# end: stopped, ", 0), 0u) << lines.back();
    const std::int64_t rows = CheckRows(text);
    EXPECT_GE(rows, 1);
    EXPECT_TRUE(Has(r.out, "CH0 : データ数：" + std::to_string(rows) + " / ")) << r.out;
  }
}

// kill -9 at moments a fixed seed picks: whatever is left reads as whole rows
// (a last row cut mid-way is left out by the readers, and said).
TEST(CliFaultTable, AKilledLogLeavesRowsThatReadWhole) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 6; ++round) {
    TempDir dir;
    const std::string path = dir.Path("log.csv");
    const int afterProgressLines = 1 + static_cast<int>(random() % 6);
    int seen = 0;
    bool killed = false;
    const CliResult r =
        RunCli({"log", "--virtual", "--rate", "4800", "--duration", "60s", "--csv", path},
               [&](const std::string& err, pid_t pid) {
                 std::size_t n = 0;
                 for (std::size_t at = err.find("データ番号："); at != std::string::npos;
                      at = err.find("データ番号：", at + 1))
                   ++n;
                 seen = static_cast<int>(n);
                 if (!killed && seen >= afterProgressLines) {
                   ::usleep(static_cast<useconds_t>(random() % 400000));
                   ::kill(pid, SIGKILL);
                   killed = true;
                 }
               });
    ASSERT_TRUE(killed);
    EXPECT_EQ(r.exitCode, -1);
    const std::string text = ReadFile(path);
    const std::int64_t rows = CheckRows(text);
    const LogReadResult read = ReadLogFile(path);
    if (rows == 0) continue;
    ASSERT_EQ(read.status, LogReadStatus::kOk) << LogReadMessage(read, path);
    EXPECT_EQ(read.record.Count(0), rows);
    EXPECT_EQ(read.cutLine != 0, text.back() != '\n');
    EXPECT_EQ(text.find("# end:"), std::string::npos) << "a killed log has no end line";
  }
}

// Readers × hostile inputs: the exit code, the message, bounded time (the
// tool's runner gives up on a hung child) and bounded memory.
TEST(CliFaultTable, HostileInputsAreRefusedClearlyInBoundedTimeAndMemory) {
  TempDir dir;
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir.Path(name), std::ios::binary) << bytes;
    return dir.Path(name);
  };
  const std::string good = ReadFile(SaveRunFile(dir.Path("good.DTA"), 100));
  const std::string fifo = dir.Path("fifo.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string log = "sample,time_s,ch0_code,ch0_uV\n";
  for (int i = 1; i <= 2000; ++i) {
    log += std::to_string(i) + "," + std::to_string(i / 4800.0) + "," +
           std::to_string(8388608 + (i * 37) % 201 - 100) + ",0.1\n";
  }
  const std::string big = dir.Path("one-line.csv");
  {
    std::ofstream out(big, std::ios::binary);
    const std::string block(1 << 20, '7');
    out << "#";
    for (int i = 0; i < 200; ++i) out << block;
  }
  const struct {
    const char* name;
    std::vector<std::string> args;
    int exit;
    std::string message;  // part of stderr
  } cases[] = {
      {"FIFO", {"analyze", fifo}, 4, "通常のファイルではありません: " + fifo},
      {"FIFO log", {"stability", fifo}, 4, "通常のファイルではありません: " + fifo},
      {"device", {"analyze", "/dev/zero"}, 4, "通常のファイルではありません: /dev/zero"},
      {"device, export",
       {"export", "/dev/zero", "--csv", dir.Path("x.csv")},
       4,
       "通常のファイルではありません: /dev/zero"},
      {"folder", {"stats", dir.Path("")}, 4, "ファイルではなくフォルダです: " + dir.Path("")},
      {"code out of range",
       {"stats",
        write("range.DTA", good.substr(0, good.find("\nD:\r\n") + 5) + "16777216\r\nDEND:\r\n")},
       4,
       "(12 行目)"},
      {"NUL",
       {"analyze", write("nul.DTA", std::string("VELQORIS_DataFile:\0\r\n", 21))},
       4,
       "データファイルの内容が正しくありませんでした: " + dir.Path("nul.DTA") + " (1 行目)"},
      {"UTF-16",
       {"stats", write("u16.DTA", std::string("\xFF\xFEV\0E\0L\0Q\0\r\0\n\0", 14))},
       4,
       "(1 行目)"},
      {"long line in a log",
       {"stability", write("long.csv", log.substr(0, 40) + std::string(6 << 20, '9') + "\n")},
       4,
       "ログの 2 行目が読めません"},
      {"a 200 MB single line",
       {"analyze", big},
       4,
       "ログの CSV ファイルでもデータファイルでもありません"},
      {"cut last row",
       {"stability", write("cut.csv", log + "2001,0.416875,83")},
       0,
       "最後の行 (2002 行目) は途中で切れていたため読みませんでした"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    EXPECT_TRUE(Has(r.err, c.message)) << r.err;
  }
  // The cut row is in the figures' JSON as well.
  const CliResult json = RunCli({"stability", dir.Path("cut.csv"), "--json"});
  EXPECT_TRUE(Has(json.out, "\"cut_last_row_line\": 2002")) << json.out;
  // A 200 MB line costs no more than the tool itself.
  const long peak = PeakOfCli({"analyze", big});
  EXPECT_GT(peak, 0);
  EXPECT_LT(peak, 120 * 1024) << "kB";
}

}  // namespace
}  // namespace velqoris::testing
