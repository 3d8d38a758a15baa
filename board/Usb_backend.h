// Picks the D2XX backend the program uses: the vendor library when it loads,
// else libftdi1. Never null.
#pragma once

#include <memory>

#include "board/D2xx.h"

namespace velqoris {

std::unique_ptr<d2xx::Api> OpenUsbBackend();

}  // namespace velqoris
