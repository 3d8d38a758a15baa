#include "graph/Line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velqoris {

namespace {

inline void Plot(const PixelView& v, std::int64_t x, std::int64_t y, std::uint32_t colour) {
  if (x >= 0 && y >= 0 && x < v.width && y < v.height) v.bits[y * v.stride + x] = colour;
}

// Bresenham from (x0, y0); paints `steps` pixels, or one more when the end
// point is included.
void Bresenham(const PixelView& v, std::int64_t x0, std::int64_t y0, std::int64_t x1,
               std::int64_t y1, bool includeEnd, std::uint32_t colour) {
  const std::int64_t dx = std::llabs(x1 - x0);
  const std::int64_t dy = std::llabs(y1 - y0);
  const std::int64_t sx = x0 < x1 ? 1 : -1;
  const std::int64_t sy = y0 < y1 ? 1 : -1;
  std::int64_t x = x0;
  std::int64_t y = y0;
  if (dy >= dx) {
    std::int64_t err = 2 * dx - dy;
    for (std::int64_t n = dy; n > 0; --n) {
      Plot(v, x, y, colour);
      if (err > 0) {
        x += sx;
        err -= 2 * dy;
      }
      err += 2 * dx;
      y += sy;
    }
  } else {
    std::int64_t err = 2 * dy - dx;
    for (std::int64_t n = dx; n > 0; --n) {
      Plot(v, x, y, colour);
      if (err > 0) {
        y += sy;
        err -= 2 * dx;
      }
      err += 2 * dy;
      x += sx;
    }
  }
  if (includeEnd) Plot(v, x, y, colour);
}

// Liang-Barsky against the buffer; false when the line misses it.
bool Clip(const PixelView& v, double& x0, double& y0, double& x1, double& y1, bool& endClipped) {
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0, (v.width - 1) - x0, y0, (v.height - 1) - y0};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
  }
  if (t0 > t1) return false;
  endClipped = t1 < 1.0;
  const double ox = x0;
  const double oy = y0;
  x0 = ox + t0 * dx;
  y0 = oy + t0 * dy;
  x1 = ox + t1 * dx;
  y1 = oy + t1 * dy;
  return true;
}

}  // namespace

void DrawLineTo(const PixelView& view, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                std::int64_t y1, std::uint32_t colour) {
  if (view.bits == nullptr || view.width <= 0 || view.height <= 0) return;
  if (x0 == x1 && y0 == y1) return;
  const std::int64_t steps = std::max(std::llabs(x1 - x0), std::llabs(y1 - y0));
  const std::int64_t reach = 2 * (static_cast<std::int64_t>(view.width) + view.height);
  if (steps <= reach) {
    Bresenham(view, x0, y0, x1, y1, false, colour);
    return;
  }
  // A line far longer than the buffer: walk only the part that can be seen.
  double fx0 = static_cast<double>(x0), fy0 = static_cast<double>(y0);
  double fx1 = static_cast<double>(x1), fy1 = static_cast<double>(y1);
  bool endClipped = false;
  if (!Clip(view, fx0, fy0, fx1, fy1, endClipped)) return;
  Bresenham(view, std::llround(fx0), std::llround(fy0), std::llround(fx1), std::llround(fy1),
            endClipped, colour);
}

}  // namespace velqoris
