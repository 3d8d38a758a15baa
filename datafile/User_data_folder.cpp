#include "datafile/User_data_folder.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "datafile/Utf8_path.h"
#endif

namespace velqoris {

std::optional<std::string> ProcessEnvironment(const char* name) {
#ifdef _WIN32
  const std::wstring wideName = PathFromUtf8(name).native();
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::vector<wchar_t> value(size);
  const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  return Utf8FromPath(std::filesystem::path(std::wstring(value.data(), length)));
#else
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

std::string UserDataFolder(const EnvironmentLookup& environment) {
#ifdef _WIN32
  const auto local = environment("LOCALAPPDATA");
  if (!local || local->empty()) return {};
  return *local + "\\VELQORIS";
#else
  // XDG: a relative XDG_DATA_HOME is to be ignored.
  const auto data = environment("XDG_DATA_HOME");
  if (data && !data->empty() && data->front() == '/') return *data + "/velqoris";
  const auto home = environment("HOME");
  if (!home || home->empty()) return {};
  return *home + "/.local/share/velqoris";
#endif
}

}  // namespace velqoris
