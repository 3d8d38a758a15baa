// Which FTDI chip is the board. A bench may carry other FTDI chips (USB-serial
// adapters) and several boards: each candidate is opened and asked for its
// name, and only one that answers as the board is kept. The others are closed
// again at once, which hands them back to their kernel driver.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Usb_transport.h"

namespace velqoris {

struct BoardChoice {
  // Only the chip with this USB serial number; empty: any board.
  std::string serial;
  // Picks one serial when several boards answer; "" picks none. Unset: the first.
  std::function<std::string(const std::vector<std::string>& serials)> choose;
};

// Sends the name query on a raw transport and looks for the board's name line.
bool AnswersAsBoard(UsbTransport& transport);

// `serials` lists the candidate chips in bus order; `open(i)` opens chip i (null
// when it cannot). Returns the chosen board's transport, or null; `opened`
// receives its serial.
std::unique_ptr<UsbTransport> OpenBoard(
    const std::vector<std::string>& serials,
    const std::function<std::unique_ptr<UsbTransport>(int index)>& open, const BoardChoice& choice,
    std::string* opened = nullptr,
    const std::function<bool(UsbTransport&)>& identify = AnswersAsBoard);

}  // namespace velqoris
