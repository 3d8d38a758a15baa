// Windows open whole on the usable area of their screen (without the task
// bar or docks), whatever the screen's size: a window larger than that area
// is made smaller (down to its minimum), one that would reach past an edge is
// moved in. A window's frame (title bar, borders) counts; before the window
// is first shown the system has not told its size, so a usual one is assumed
// and the window is checked again once it shows.
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace velqoris {

// A title bar and borders as Windows and the usual Linux desktops draw them.
inline const QMargins kAssumedFrame{8, 32, 8, 8};

// `frame` moved, and shrunk where it is larger, to lie within `available`.
QRect FitInside(const QRect& frame, const QRect& available);

// Where a window that has not been shown yet starts: centred over its parent
// (or its screen), or where it was moved to (the main window's designed place).
enum class FirstPlace { kCentred, kAsMoved };

// Fits the window to its screen's usable area, first placed as asked.
void PlaceOnScreen(QWidget& window, FirstPlace first = FirstPlace::kCentred);

// Shows (or raises) the window placed on its screen, and checks it again
// with its real frame once the system has drawn it.
void ShowOnScreen(QWidget& window, FirstPlace first = FirstPlace::kCentred);

}  // namespace velqoris
