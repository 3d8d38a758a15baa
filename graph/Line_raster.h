// One-pixel solid lines written straight into a 32-bit pixel buffer, with
// line-to semantics: the start point is painted, the end point is not, so a
// polyline paints every shared vertex exactly once. Pixels outside the
// buffer are never written.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velqoris {

struct PixelView {
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // pixels per row
};

void DrawLineTo(const PixelView& view, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                std::int64_t y1, std::uint32_t colour);

}  // namespace velqoris
