// IEEE 488.2 definite-length arbitrary block: '#', one digit n, n digits of
// the byte count, then the bytes. Conversion codes go as little-endian int32.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velqoris::scpi {

// Appends the block of values to out.
void AppendInt32Block(std::string& out, std::span<const std::int32_t> values);

// The values of one block at the start of text, and how many bytes it took;
// nothing when text does not start with a whole, well-formed block.
struct DecodedBlock {
  std::vector<std::int32_t> values;
  std::size_t size = 0;
};
std::optional<DecodedBlock> DecodeInt32Block(std::string_view text);

}  // namespace velqoris::scpi
