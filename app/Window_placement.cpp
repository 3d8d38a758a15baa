#include "app/Window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace velqoris {

namespace {

constexpr const char* kPlacedProperty = "velqorisPlaced";

QScreen* ScreenOf(const QWidget& window) {
  if (const QWidget* parent = window.parentWidget()) {
    if (QScreen* s = parent->window()->screen()) return s;
  }
  if (QScreen* s = window.screen()) return s;
  return QGuiApplication::primaryScreen();
}

QMargins FrameOf(const QWidget& window) {
  if (!window.isVisible()) return kAssumedFrame;
  const QRect frame = window.frameGeometry();
  const QRect client = window.geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

}  // namespace

QRect FitInside(const QRect& frame, const QRect& available) {
  const int width = std::min(frame.width(), available.width());
  const int height = std::min(frame.height(), available.height());
  const int left = std::clamp(frame.left(), available.left(), available.right() + 1 - width);
  const int top = std::clamp(frame.top(), available.top(), available.bottom() + 1 - height);
  return {left, top, width, height};
}

void PlaceOnScreen(QWidget& window, FirstPlace first) {
  const QScreen* screen = ScreenOf(window);
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  const QMargins margins = FrameOf(window);
  QRect client = window.geometry();
  if (first == FirstPlace::kCentred && !window.isVisible() &&
      !window.property(kPlacedProperty).toBool()) {
    const QWidget* parent = window.parentWidget();
    const QRect over = parent != nullptr ? parent->window()->frameGeometry() : available;
    client.moveCenter(over.center());
    window.setProperty(kPlacedProperty, true);
  }
  const QRect fitted = FitInside(client.marginsAdded(margins), available).marginsRemoved(margins);
  const QSize size = fitted.size().expandedTo(window.minimumSize());
  if (size != window.size()) window.resize(size);
  // The frame's corner: move() places the frame, not the client area.
  window.move(fitted.topLeft() - QPoint(margins.left(), margins.top()));
}

void ShowOnScreen(QWidget& window, FirstPlace first) {
  PlaceOnScreen(window, first);
  window.show();
  window.raise();
  window.activateWindow();
  // The real frame is known once the system has drawn the window.
  QTimer::singleShot(0, &window, [&window] {
    if (window.isVisible()) PlaceOnScreen(window, FirstPlace::kAsMoved);
  });
}

}  // namespace velqoris
