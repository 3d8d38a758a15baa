// A writer killed at random moments (fixed seeds) leaves a file that opens,
// with every row up to its last flush and none that is not the data. The writer
// is a child process killed with no warning: SIGKILL on Linux; on Windows
// TerminateProcess, the child being this test program started again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

#include "h5log/H5_log_reader.h"
#include "h5log/H5_log_writer.h"
#include "tests/support/Temp_files.h"

#ifdef _WIN32
#include <windows.h>

#include "datafile/Utf8_path.h"
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velqoris::h5log {
namespace {

constexpr int kBlock = 2400;

std::int32_t CodeAt(int channel, std::int64_t i) {
  return static_cast<std::int32_t>(8388608 + channel * 1000 + (i * 7919) % 2001);
}

// The child: writes blocks and flushes, telling the parent each committed count.
[[noreturn]] void WriteUntilKilled(const std::string& path,
                                   const std::function<bool(std::int64_t)>& tell) {
  H5BoardHeader h;
  h.serial = "K1";
  h.rateSps = 4800;
  h.channel[1] = true;
  H5LogWriter w;
  if (!w.Create(path, "test", {h})) std::_Exit(2);
  std::vector<std::int32_t> codes[2];
  for (std::int64_t i = 0;; i += kBlock) {
    for (int ch = 0; ch < 2; ++ch) {
      codes[ch].resize(kBlock);
      for (int k = 0; k < kBlock; ++k) codes[ch][static_cast<std::size_t>(k)] = CodeAt(ch, i + k);
    }
    if (i % (5 * kBlock) == kBlock) w.Gap(0, {i, static_cast<std::int32_t>(i / kBlock), 0.01, 0});
    w.Append(0, codes[0].data(), codes[1].data(), kBlock);
    if (!w.Flush()) std::_Exit(3);
    if (!tell(w.Rows(0))) std::_Exit(4);
  }
}

#ifdef _WIN32
constexpr const wchar_t* kChildVariable = L"VELQORIS_H5_KILL_WRITER";

// Started again with that variable set, this program is the writer, telling
// its counts on its standard output, before any test runs.
const bool kIsWriterChild = [] {
  const wchar_t* path = _wgetenv(kChildVariable);
  if (path == nullptr) return false;
  WriteUntilKilled(Utf8FromPath(path), [](std::int64_t rows) {
    DWORD n = 0;
    return ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), &rows, sizeof rows, &n, nullptr) &&
           n == sizeof rows;
  });
}();

constexpr UINT kKilledCode = 137;

class WriterProcess {
 public:
  explicit WriterProcess(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE write = nullptr;
    if (!::CreatePipe(&read_, &write, &inherit, 0)) return;
    ::SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetEnvironmentVariableW(kChildVariable, PathFromUtf8(path).c_str());
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process_)) {
      ::CloseHandle(process_.hThread);
    }
    ::SetEnvironmentVariableW(kChildVariable, nullptr);
    ::CloseHandle(write);
  }
  ~WriterProcess() {
    if (process_.hProcess != nullptr) ::CloseHandle(process_.hProcess);
    if (read_ != nullptr) ::CloseHandle(read_);
  }
  bool Started() const { return process_.hProcess != nullptr; }
  bool ReadCount(std::int64_t& rows) {
    DWORD n = 0;
    return ::ReadFile(read_, &rows, sizeof rows, &n, nullptr) && n == sizeof rows;
  }
  // Killed, and gone: true when it was still writing until then.
  bool Kill() {
    ::TerminateProcess(process_.hProcess, kKilledCode);
    ::WaitForSingleObject(process_.hProcess, INFINITE);
    DWORD code = 0;
    return ::GetExitCodeProcess(process_.hProcess, &code) && code == kKilledCode;
  }

 private:
  HANDLE read_ = nullptr;
  PROCESS_INFORMATION process_{};
};
#else
class WriterProcess {
 public:
  explicit WriterProcess(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      close(fds[0]);
      WriteUntilKilled(path, [fd = fds[1]](std::int64_t rows) {
        return write(fd, &rows, sizeof rows) == sizeof rows;
      });
    }
    close(fds[1]);
    read_ = fds[0];
  }
  ~WriterProcess() {
    if (read_ >= 0) close(read_);
  }
  bool Started() const { return child_ > 0; }
  bool ReadCount(std::int64_t& rows) { return read(read_, &rows, sizeof rows) == sizeof rows; }
  bool Kill() {
    kill(child_, SIGKILL);
    int status = 0;
    waitpid(child_, &status, 0);
    return WIFSIGNALED(status);
  }

 private:
  pid_t child_ = -1;
  int read_ = -1;
};
#endif

TEST(H5LogKill, EveryRowUpToTheLastFlushReadsBack) {
  testing::TempDir dir;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    const std::string path = dir.Path("kill" + std::to_string(seed) + ".h5");
    WriterProcess writer(path);
    ASSERT_TRUE(writer.Started()) << seed;
    const int flushes = std::uniform_int_distribution<int>(0, 12)(random);
    std::int64_t committed = 0;
    for (int i = 0; i < flushes; ++i) ASSERT_TRUE(writer.ReadCount(committed)) << seed;
    // Somewhere inside the next block's append or flush.
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random)));
    ASSERT_TRUE(writer.Kill()) << seed;
    // The last count the writer told before it died.
    for (std::int64_t told = 0; writer.ReadCount(told);) committed = told;

    const H5ReadResult r = ReadH5Log(path);
    if (flushes == 0 && r.status != H5ReadStatus::kOk) continue;  // killed while creating
    ASSERT_EQ(r.status, H5ReadStatus::kOk) << seed << " " << r.part;
    const H5BoardLog& log = r.boards.at(0);
    EXPECT_GE(log.rows, committed) << seed;
    for (int ch = 0; ch < 2; ++ch) {
      ASSERT_EQ(log.record.Count(ch), log.rows) << seed;
      for (std::int64_t i = 0; i < log.rows; ++i) {
        ASSERT_EQ(log.record.codes[ch][static_cast<std::size_t>(i)], CodeAt(ch, i))
            << seed << " ch" << ch << " row " << i;
      }
    }
    for (const H5Gap& gap : log.gaps) EXPECT_EQ(gap.firstSample % (5 * kBlock), kBlock);
  }
}

}  // namespace
}  // namespace velqoris::h5log
