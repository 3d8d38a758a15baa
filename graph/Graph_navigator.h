// The mouse on the main graph: the wheel zooms the sample positions about
// the pointer (with Ctrl the values), a drag moves the view, a drag with
// Shift zooms into its rectangle and a double-click returns to the designed
// view. A cursor line follows the pointer with a small label reading the
// sample under it; with both channels held a legend names them. Two cursors
// A and B stay where they are put: a click places A, a right-click B (or the
// keys A and B at the pointer), a cursor line is dragged, the arrow keys move
// the last one placed (Shift: ten samples), Esc removes both; their readout
// gives each one's sample, time and values, the differences, and what the
// window adds (the statistics between them). Everything here is drawn over
// the picture, never into it.
#pragma once

#include <QObject>
#include <QPoint>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

  // Cursor A (0) or B (1) at a zero-based sample index; nothing removes it.
  void SetCursor(int which, std::optional<std::int64_t> sample);
  std::optional<std::int64_t> Cursor(int which) const { return cursors_[which == 0 ? 0 : 1]; }
  // The readout's lines: A, B, the differences, and the added lines.
  std::vector<std::string> CursorLines() const;
  // More lines for the readout while both cursors stand (first, last sample).
  void SetCursorExtra(std::function<std::vector<std::string>(std::int64_t, std::int64_t)> extra) {
    extra_ = std::move(extra);
  }
  // Lines shown at the bottom left of the plot while there are any (the
  // reference run's statistics).
  void SetNote(std::function<std::vector<std::string>()> note) { note_ = std::move(note); }
  // Told when a cursor was placed, moved or removed.
  void SetCursorsChanged(std::function<void()> changed) { cursorsChanged_ = std::move(changed); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Redraw();
  void PaintOverlay(QPainter& painter);
  void PaintCursors(QPainter& painter);
  void PaintNote(QPainter& painter);
  // The sample nearest a bitmap column, kept inside the held samples.
  std::optional<std::int64_t> SampleAt(int column) const;
  // The standing cursor whose line is within a few pixels of a column.
  std::optional<int> CursorNear(int column) const;
  bool Key(int key, Qt::KeyboardModifiers modifiers);

  TPaintBox& paintBox_;
  TGraph_2CH& graph_;
  std::function<bool()> voltMode_;
  std::function<void()> changed_;
  std::optional<int> cursor_;
  int cursorRow_ = 0;
  int wheelRest_ = 0;
  enum class Drag { kNone, kPan, kRectangle, kCursor } drag_ = Drag::kNone;
  std::array<std::optional<std::int64_t>, 2> cursors_;
  int lastCursor_ = 0;
  bool moved_ = false;
  std::function<std::vector<std::string>(std::int64_t, std::int64_t)> extra_;
  std::function<void()> cursorsChanged_;
  std::function<std::vector<std::string>()> note_;
  QPoint pressed_;
  QPoint dragged_;
  TViewRange pressedRange_;
};

}  // namespace velqoris
