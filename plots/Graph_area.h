// The window's graph area on its own: a paint box at the window's place with
// the thirteen axis labels around it, on the window's background and font,
// 640 x 440 pixels. The graph moves the labels to their window positions.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <array>

#include "graph/Paint_box.h"

namespace velqoris::cli {

class GraphArea : public QWidget {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 440;

  GraphArea();

  TPaintBox& PaintBox() { return *paintBox_; }
  std::array<QLabel*, 11>& YLabels() { return yLabels_; }
  std::array<QLabel*, 2>& XLabels() { return xLabels_; }
  // The area as the window shows it.
  QImage Picture();

 private:
  TPaintBox* paintBox_;
  std::array<QLabel*, 11> yLabels_{};
  std::array<QLabel*, 2> xLabels_{};
};

}  // namespace velqoris::cli
