#include "plots/Label_place.h"

#include <QLineF>
#include <limits>

namespace velqoris {

namespace {

bool Crosses(const QRectF& r, const QPointF& a, const QPointF& b) {
  if (r.contains(a) || r.contains(b)) return true;
  const QLineF segment(a, b);
  const QLineF edges[4] = {{r.topLeft(), r.topRight()},
                           {r.topRight(), r.bottomRight()},
                           {r.bottomRight(), r.bottomLeft()},
                           {r.bottomLeft(), r.topLeft()}};
  for (const QLineF& edge : edges) {
    if (segment.intersects(edge, nullptr) == QLineF::BoundedIntersection) return true;
  }
  return false;
}

}  // namespace

int CrossingsOf(const QRectF& rectangle, const std::vector<Polyline>& curves) {
  int count = 0;
  for (const Polyline& curve : curves) {
    if (curve.size() == 1 && rectangle.contains(curve.front())) ++count;
    for (std::size_t i = 1; i < curve.size(); ++i) {
      if (Crosses(rectangle, curve[i - 1], curve[i])) ++count;
    }
  }
  return count;
}

QRectF ClearPlace(const std::vector<QRectF>& candidates, const std::vector<Polyline>& curves,
                  const std::vector<QRectF>& taken) {
  QRectF best;
  int fewest = std::numeric_limits<int>::max();
  for (const QRectF& candidate : candidates) {
    int cost = CrossingsOf(candidate, curves);
    // A label over another is never read; count it as worse than any curve.
    for (const QRectF& other : taken) {
      if (candidate.intersects(other)) cost += 1000;
    }
    if (cost == 0) return candidate;
    if (cost < fewest) {
      fewest = cost;
      best = candidate;
    }
  }
  return best;
}

}  // namespace velqoris
