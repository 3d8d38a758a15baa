// The mouse on the main graph: the wheel zooms the sample positions about
// the pointer (with Ctrl the values), a drag moves the view, a drag with
// Shift zooms into its rectangle and a double-click returns to the designed
// view. A cursor line follows the pointer with a small label reading the
// sample under it; with both channels held a legend names them. Cursor,
// label, legend and rectangle are drawn over the picture, never into it.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>
#include <optional>

#include "graph/View_range.h"

class QPainter;

namespace velqoris {

class TGraph_2CH;
class TPaintBox;

class TGraphNavigator : public QObject {
 public:
  // voltMode reads the window's unit; changed is told after every redraw
  // the mouse caused (the window updates what depends on the view).
  TGraphNavigator(TPaintBox& paintBox, TGraph_2CH& graph, std::function<bool()> voltMode,
                  std::function<void()> changed = {});
  ~TGraphNavigator() override;

  // Back to the designed view (double-click and the menu).
  void ResetView();
  // The cursor's column in the bitmap while the pointer is over the plot.
  std::optional<int> CursorColumn() const { return cursor_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Redraw();
  void PaintOverlay(QPainter& painter);

  TPaintBox& paintBox_;
  TGraph_2CH& graph_;
  std::function<bool()> voltMode_;
  std::function<void()> changed_;
  std::optional<int> cursor_;
  int cursorRow_ = 0;
  int wheelRest_ = 0;
  enum class Drag { kNone, kPan, kRectangle } drag_ = Drag::kNone;
  QPoint pressed_;
  QPoint dragged_;
  TViewRange pressedRange_;
};

}  // namespace velqoris
