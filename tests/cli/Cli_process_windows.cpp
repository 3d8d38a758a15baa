// The Windows side of running velqoris-cli: a child process with pipes on its
// output streams, sharing this process's console so that a test can send it
// Ctrl-C.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "datafile/Utf8_path.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::testing {

namespace {

// Arguments quoted as the C runtime's parser reads them back.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

// A console of our own that the children share; Ctrl-C sent to it reaches
// them, and this process lets it pass.
void ShareConsole() {
  static const bool done = [] {
    ::FreeConsole();
    ::AllocConsole();
    ::SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);
    return true;
  }();
  (void)done;
}

void Drain(HANDLE pipe, std::string& into, std::mutex* lock) {
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    std::lock_guard<std::mutex> hold(*lock);
    into.append(buffer, n);
  }
}

}  // namespace

void Interrupt(pid_t) {
  ShareConsole();
  ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
}

CliResult RunCli(const std::vector<std::string>& args,
                 const std::function<void(const std::string&, pid_t)>& onErr) {
  ShareConsole();
  CliResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
  if (!::CreatePipe(&errRead, &errWrite, &inherit, 0)) return result;
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  std::wstring command = Quoted(PathFromUtf8(VELQORIS_CLI_PATH).native());
  for (const std::string& arg : args) command += L" " + Quoted(PathFromUtf8(arg).native());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  if (!started) {
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    return result;
  }
  std::mutex lock;
  std::string err;
  std::thread outReader(Drain, outRead, std::ref(result.out), &lock);
  std::thread errReader(Drain, errRead, std::ref(err), &lock);
  // The error stream is handed to onErr each time it grows.
  std::size_t seen = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (;;) {
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 20);
    // Only a guard against a hung child; a passing run never comes near it.
    if (waited != WAIT_OBJECT_0 && std::chrono::steady_clock::now() > giveUp) {
      ::TerminateProcess(process.hProcess, static_cast<UINT>(-1));
    }
    std::string now;
    {
      std::lock_guard<std::mutex> hold(lock);
      now = err;
    }
    if (now.size() != seen) {
      seen = now.size();
      if (onErr) onErr(now, static_cast<pid_t>(process.dwProcessId));
    }
    if (waited == WAIT_OBJECT_0) break;
  }
  outReader.join();
  errReader.join();
  result.err = err;
  DWORD code = 0;
  if (::GetExitCodeProcess(process.hProcess, &code) && code != static_cast<DWORD>(-1)) {
    result.exitCode = static_cast<int>(code);
  }
  FILETIME created{}, exited{}, kernel{}, user{};
  if (::GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user)) {
    auto seconds = [](const FILETIME& t) {
      return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                 t.dwLowDateTime) /
             1e7;
    };
    result.cpuSeconds = seconds(kernel) + seconds(user);
  }
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  ::CloseHandle(outRead);
  ::CloseHandle(errRead);
  return result;
}

}  // namespace velqoris::testing
