#include "scpi/Binary_block.h"

namespace velqoris::scpi {

void AppendInt32Block(std::string& out, std::span<const std::int32_t> values) {
  const std::string length = std::to_string(values.size() * 4);
  out += '#';
  out += static_cast<char>('0' + length.size());
  out += length;
  const std::size_t start = out.size();
  out.resize(start + values.size() * 4);
  char* p = out.data() + start;
  for (const std::int32_t v : values) {
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<char>(u & 0xFF);
    p[1] = static_cast<char>((u >> 8) & 0xFF);
    p[2] = static_cast<char>((u >> 16) & 0xFF);
    p[3] = static_cast<char>((u >> 24) & 0xFF);
    p += 4;
  }
}

std::optional<DecodedBlock> DecodeInt32Block(std::string_view text) {
  if (text.size() < 2 || text[0] != '#' || text[1] < '1' || text[1] > '9') return std::nullopt;
  const std::size_t digits = static_cast<std::size_t>(text[1] - '0');
  if (text.size() < 2 + digits) return std::nullopt;
  std::size_t length = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const char c = text[2 + i];
    if (c < '0' || c > '9') return std::nullopt;
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  const std::size_t start = 2 + digits;
  if (length % 4 != 0 || text.size() - start < length) return std::nullopt;
  DecodedBlock block;
  block.size = start + length;
  block.values.resize(length / 4);
  for (std::size_t i = 0; i < block.values.size(); ++i) {
    std::uint32_t u = 0;
    for (int b = 3; b >= 0; --b) {
      u = (u << 8) | static_cast<unsigned char>(text[start + i * 4 + static_cast<std::size_t>(b)]);
    }
    block.values[i] = static_cast<std::int32_t>(u);
  }
  return block;
}

}  // namespace velqoris::scpi
