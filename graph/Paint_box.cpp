#include "graph/Paint_box.h"

#include <QPainter>

namespace velqoris {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {}

void TPaintBox::SetPicture(const QImage* picture, const QRect& destRect) {
  picture_ = picture;
  destRect_ = destRect;
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
  if (picture_ != nullptr && !picture_->isNull()) {
    QPainter painter(this);
    painter.drawImage(destRect_.topLeft(), *picture_,
                      QRect(0, 0, destRect_.width(), destRect_.height()));
  }
  if (overlay) {
    QPainter painter(this);
    overlay(painter);
  }
  if (onPaint) onPaint();
}

}  // namespace velqoris
