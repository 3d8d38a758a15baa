// What the search for the board found, so that a failed connection can say
// which of the bench's FTDI chips were there and why none was taken, and a
// bench with several boards can say which one is used.
#pragma once

#include <string>
#include <vector>

namespace velqoris {

struct BoardProbe {
  bool done = false;                // a search by serial number took place
  std::string asked;                // the serial number asked for ("" = any board)
  std::vector<std::string> chips;   // every FTDI chip found, by serial number, in bus order
  std::vector<std::string> inUse;   // its serial device open in another program: left alone
  std::vector<std::string> silent;  // asked for its name, did not answer as the board
  std::vector<std::string> boards;  // answered as the board
  std::string chosen;               // the board used ("" = none)
};

}  // namespace velqoris
