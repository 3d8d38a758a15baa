#include "board/Tty_holders.h"

#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace velqoris {

namespace fs = std::filesystem;

std::vector<std::string> InterfaceTtys(const SystemRoots& roots, const std::string& interfaceName) {
  std::vector<std::string> ttys;
  if (interfaceName.empty()) return ttys;
  const fs::path interface = fs::path(roots.sys) / "bus/usb/devices" / interfaceName;
  std::error_code ec;
  // usb-serial drivers put "ttyUSB0" beside the interface; cdc-acm puts "tty/ttyACM0".
  for (const fs::path& folder : {interface, interface / "tty"}) {
    for (const auto& item : fs::directory_iterator(folder, ec)) {
      const std::string name = item.path().filename().string();
      if (name.starts_with("tty") && name.size() > 3) ttys.push_back(name);
    }
  }
  return ttys;
}

bool TtyOpenElsewhere(const SystemRoots& roots, const std::string& tty, int self) {
  const fs::path device = fs::path(roots.dev) / tty;
  std::error_code ec;
  for (const auto& process : fs::directory_iterator(roots.proc, ec)) {
    const std::string pid = process.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
        pid == std::to_string(self))
      continue;
    // Another user's process cannot be looked into: it cannot hold our chip's
    // device either, unless the device's permissions let it.
    std::error_code denied;
    for (const auto& fd : fs::directory_iterator(process.path() / "fd", denied)) {
      std::error_code unreadable;
      if (fs::read_symlink(fd.path(), unreadable) == device) return true;
    }
  }
  return false;
}

bool InterfaceInUse(const SystemRoots& roots, const std::string& interfaceName) {
#ifdef _WIN32
  (void)roots;
  (void)interfaceName;
  return false;
#else
  for (const std::string& tty : InterfaceTtys(roots, interfaceName)) {
    if (TtyOpenElsewhere(roots, tty, static_cast<int>(::getpid()))) return true;
  }
  return false;
#endif
}

}  // namespace velqoris
