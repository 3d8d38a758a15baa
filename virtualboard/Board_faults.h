// Misbehaviour the virtual board can be told to show, so tests reach every
// failure path of the host without hardware. All off by default.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace velqoris {

struct BoardFaults {
  // Command lines (without CR) the controller swallows: no effect, no answer.
  std::set<std::string> silentCommands;
  // Command lines answered "NG" CR instead of being carried out.
  std::set<std::string> refusedCommands;
  // "V?" is answered "NG" CR.
  bool versionFails = false;
  // Acknowledgements and reply lines go out without their CR.
  bool replyWithoutCr = false;
  // The host sees one more byte of the FIFO per queue-status poll.
  bool trickle = false;
  // Run frame with this index (0 = first) ends in LF instead of CR.
  std::optional<std::uint32_t> lfFrame;
  // Run frame with this index carries a non-hexadecimal character ('G' as its third digit).
  std::optional<std::uint32_t> nonHexFrame;
  // The stream stops after this many frames of a run; only "AX" ends the run then.
  std::optional<std::uint32_t> stallAfter;
  // Once the host has read this many frames of a run, reads and queue polls
  // fail with an I/O error until the next purge.
  std::optional<std::uint32_t> readErrorAfter;
  bool purgeFails = false;
  bool openFails = false;
  // Bytes that follow every "OK" CR.
  std::string strayAfterAck;
};

}  // namespace velqoris
