// Zoom, pan, cursor and export for a plot widget that draws its own axes
// (the analysis window's histogram, spectrum and stability plots). The view
// tells the explorer its full ranges and plot rectangle on each paint and
// draws the visible ranges it gets back; the explorer turns the wheel (Ctrl:
// values), drags, Shift-rectangles and double-clicks into those ranges, draws
// the cursor line with the view's own readout text, and offers the plot and
// its figures through a context menu: copy, PNG, CSV.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QPainter;
class QWidget;

namespace velqoris {

// Values along one axis, in the unit the view lays the axis out in (a
// logarithmic axis passes logarithms).
struct PlotSpan {
  double low = 0;
  double high = 1;
};

class PlotExplorer : public QObject {
 public:
  struct Exports {
    // Tab-separated rows of the figures shown beside the plot (copied as text).
    std::function<QString()> table;
    // The same figures as CSV text for a file.
    std::function<QString()> csv;
    // The plotted data (bins, points) as CSV text with a header row.
    std::function<QString()> curve;
  };

  // Lives as long as the plot (its child).
  explicit PlotExplorer(QWidget& plot, Exports exports = {});
  // The figures' exports; a curve the view set stays unless exports bring one.
  void SetExports(Exports exports);
  // The plotted data alone (a view that knows its own curve).
  void SetCurve(std::function<QString()> curve) { exports_.curve = std::move(curve); }
  ~PlotExplorer() override;

  // From the view's paint: its full ranges and plot rectangle; returns what to draw.
  PlotSpan VisibleX(PlotSpan full, const QRect& area);
  PlotSpan VisibleY(PlotSpan full);
  bool Zoomed() const;
  void Reset();

  // The cursor's X value while the pointer is over the plot.
  std::optional<double> CursorX() const;
  // Draws the cursor line and its label; text gives the label for an X value.
  void PaintCursor(QPainter& painter, const std::function<QString(double)>& text) const;

  // Wheel steps about a point, drags and rectangles in widget pixels (the
  // mouse handlers call these; so can tests).
  void Wheel(QPoint at, int steps, bool values);
  void Drag(QPoint from, QPoint to);
  void ZoomTo(QRect rectangle);

  bool CopyPlot() const;
  // Each replaces the file whole; `error` receives the errno of a failed write.
  bool SavePng(const QString& path, int* error = nullptr) const;
  bool SaveCsv(const QString& path, int* error = nullptr) const;
  bool CopyCurve() const;
  bool SaveCurveCsv(const QString& path, int* error = nullptr) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ContextMenu(QPoint at);
  double FractionX(int x) const;
  double FractionY(int y) const;

  QWidget& plot_;
  Exports exports_;
  QRect area_;
  PlotSpan fullX_, fullY_;
  // Visible part as fractions of the full ranges.
  double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
  std::optional<QPoint> pointer_;
  std::optional<QPoint> pressed_;
  QPoint dragged_;
  bool rectangle_ = false;
  double px0_ = 0, px1_ = 1, py0_ = 0, py1_ = 1;
  int wheelRest_ = 0;
};

}  // namespace velqoris
