// Decimal integers as the data file holds them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velqoris {

// Leading spaces, an optional "-" or "+", then decimal digits up to the end of
// the text; the value must fit 32 bits. Anything else (an empty text too) gives nothing.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace velqoris
