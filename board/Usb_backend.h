// The D2XX backend the program uses. On Linux libftdi1 comes first: it takes
// the chip from the kernel's serial driver, which the vendor library cannot;
// the vendor library is tried when libftdi1 opens nothing. On Windows the
// vendor library (with its own driver) comes first. Each successful open
// names the library on standard error. Never null.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Backend_chain.h"
#include "board/Board_selection.h"
#include "board/D2xx.h"

namespace velqoris {

inline constexpr const char* kLibftdiName = "libftdi1";
inline constexpr const char* kVendorName = "FTDI D2XX";

// The order above, from these two makers.
std::vector<BackendChain::Backend> UsbBackendOrder(
    std::function<std::unique_ptr<d2xx::Api>()> libftdi,
    std::function<std::unique_ptr<d2xx::Api>()> vendor);

// libftdi1 keeps only a chip that answers as the board, by `choice`. The vendor
// library cannot tell chips apart, so it is not tried when a serial is asked for.
std::unique_ptr<d2xx::Api> OpenUsbBackend(const BoardChoice& choice = {});

// The serial numbers of the FTDI chips that may be boards, in bus order;
// empty where only the vendor library is built (it cannot tell chips apart).
std::vector<std::string> CandidateBoardSerials();

}  // namespace velqoris
