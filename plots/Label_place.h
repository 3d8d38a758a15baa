// Where a plot's own label goes: the first of its candidate places that no
// curve crosses and no other label covers, else the one crossed least.
#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

namespace velqoris {

// A polyline of a plot in pixels; two points make a single segment (an error bar).
using Polyline = std::vector<QPointF>;

// How many segments of the curves cross or lie inside the rectangle.
int CrossingsOf(const QRectF& rectangle, const std::vector<Polyline>& curves);

// candidates in order of preference; taken: labels already placed.
QRectF ClearPlace(const std::vector<QRectF>& candidates, const std::vector<Polyline>& curves,
                  const std::vector<QRectF>& taken = {});

}  // namespace velqoris
