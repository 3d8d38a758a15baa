#include "session/User_data_folder.h"

#include <cstdlib>

namespace velqoris {

namespace {
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}
}  // namespace

std::string UserDataFolder() {
#ifdef _WIN32
  const std::string local = Env("LOCALAPPDATA");
  return local.empty() ? std::string() : local + "\\velqoris";
#else
  // The base directory specification: a relative value is to be ignored.
  const std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty() && xdg.front() == '/') return xdg + "/velqoris";
  const std::string home = Env("HOME");
  return home.empty() ? std::string() : home + "/.local/share/velqoris";
#endif
}

}  // namespace velqoris
