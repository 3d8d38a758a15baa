#include "datafile/Utf8_path.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <system_error>

namespace velqoris {

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::FILE* OpenUtf8(const std::string& name, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(PathFromUtf8(name).c_str(), wideMode.c_str());
#else
  return std::fopen(name.c_str(), mode);
#endif
}

bool Utf8PathExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(PathFromUtf8(name), error);
}

std::optional<std::uintmax_t> Utf8FileSize(const std::string& name) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(PathFromUtf8(name), error);
  if (error) return std::nullopt;
  return size;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromPath(std::filesystem::path(wide[i])));
  ::LocalFree(wide);
  return args;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

bool Utf8FileWritable(const std::string& name) {
#ifdef _WIN32
  return ::_waccess(PathFromUtf8(name).c_str(), 2) == 0;
#else
  return ::access(name.c_str(), W_OK) == 0;
#endif
}

}  // namespace velqoris
