#include "plots/Graph_area.h"

#include <QPalette>
#include <QPixmap>

#include "plots/Window_font.h"

namespace velqoris::cli {

GraphArea::GraphArea() : paintBox_(new TPaintBox(this)) {
  setFixedSize(kWidth, kHeight);
  setFont(WindowFont());
  // The window's face colour, as the main window sets it.
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  paintBox_->setGeometry(72, 24, 560, 369);
  for (QLabel*& label : yLabels_) label = new QLabel(this);
  for (QLabel*& label : xLabels_) label = new QLabel(this);
}

QImage GraphArea::Picture() {
  ensurePolished();
  return grab(rect()).toImage();
}

}  // namespace velqoris::cli
