// The window's drawing surface. It owns no picture: the graph hands it its
// off-screen bitmap and the rectangle to copy it onto, and every paint event
// copies that bitmap again.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <functional>

class QPainter;

namespace velqoris {

class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent = nullptr);

  // The picture stays borrowed until the next call; nullptr shows nothing.
  void SetPicture(const QImage* picture, const QRect& destRect);
  const QImage* Picture() const { return picture_; }
  QRect DestRect() const { return destRect_; }

  // Called at the end of every paint event (tests and the window use it).
  std::function<void()> onPaint;
  // Drawn over the picture on every paint (the cursor, its label, a
  // rectangle being dragged); never part of the picture itself.
  std::function<void(QPainter&)> overlay;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QImage* picture_ = nullptr;
  QRect destRect_;
};

}  // namespace velqoris
