#include "tests/app/Window_fixture.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace velqoris::testing {

void WindowTest::ClickStatusBar(Qt::MouseButton button) {
  QStatusBar* bar = form->StatusBar();
  const QPointF at(10, 5);
  QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), button, button,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(bar, &press);
}

int CountPixels(const QImage& image, QRgb colour) {
  int n = 0;
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) n += (line[x] | 0xff000000) == colour ? 1 : 0;
  }
  return n;
}

}  // namespace velqoris::testing
