// Which FTDI chip is the board. A bench may carry other FTDI chips (USB-serial
// adapters) and several boards: each candidate is opened and asked for its
// name, and only one that answers as the board is kept. The others are closed
// again at once, which hands them back to their kernel driver.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Tty_holders.h"
#include "board/Usb_transport.h"
#include "records/Board_probe.h"

namespace velqoris {

struct BoardChoice {
  // Only the chip with this USB serial number; empty: any board.
  std::string serial;
  // Picks one serial when several boards answer; "" picks none. Unset: the first.
  std::function<std::string(const std::vector<std::string>& serials)> choose;
  // Told what each search found (the chips, which answered, which was used).
  std::function<void(const BoardProbe&)> report;
  // Where the system tells which chips' serial devices are open (tests lay out their own).
  SystemRoots roots;
};

// One FTDI chip on the bus.
struct ChipEntry {
  std::string serial;
  // Another program has its serial device open: it is never opened or asked.
  bool inUse = false;
};

// Sends the name query on a raw transport and looks for the board's name line.
bool AnswersAsBoard(UsbTransport& transport);

// `chips` lists the candidate chips in bus order; `open(i)` opens chip i (null
// when it cannot). Every board that answers is asked until one is enough (the
// first without `choose`; all of them with it). Returns the chosen board's
// transport, or null; `opened` receives its serial; `choice.report` the search.
std::unique_ptr<UsbTransport> OpenBoard(
    const std::vector<ChipEntry>& chips,
    const std::function<std::unique_ptr<UsbTransport>(int index)>& open, const BoardChoice& choice,
    std::string* opened = nullptr,
    const std::function<bool(UsbTransport&)>& identify = AnswersAsBoard);

}  // namespace velqoris
