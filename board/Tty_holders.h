// Whether another program holds a chip's serial device open. Taking the chip
// from the kernel's serial driver would hang up that program's session, so
// such a chip is never opened to ask its name. Linux only: the kernel tells it
// under /sys (the interface's tty) and /proc (every process's open files);
// the roots are given so that tests can lay out their own.
#pragma once

#include <string>
#include <vector>

namespace velqoris {

struct SystemRoots {
  std::string sys = "/sys";
  std::string proc = "/proc";
  std::string dev = "/dev";
};

// The serial devices ("ttyUSB0") the kernel made for the USB interface
// `interfaceName` ("1-2.3:1.0"); none when it has no serial driver attached.
std::vector<std::string> InterfaceTtys(const SystemRoots& roots, const std::string& interfaceName);

// True when a process other than `self` has <dev>/<tty> open.
bool TtyOpenElsewhere(const SystemRoots& roots, const std::string& tty, int self);

// Both: the interface's serial device is open in another program.
bool InterfaceInUse(const SystemRoots& roots, const std::string& interfaceName);

}  // namespace velqoris
