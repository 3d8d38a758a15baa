#include "plots/Plot_explorer.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "datafile/Replacing_file.h"
#include "message/Message_box.h"
#include "message/Message_text.h"
#include "plots/Png_file.h"

#include "plots/Csv_text.h"

namespace velqoris {

namespace {

constexpr double kWheelFactor = 0.8;  // each notch shows 80 % of the range
constexpr double kMinFraction = 1e-6;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// Scales [a, b] about c by factor, kept inside [0, 1].
void ZoomAbout(double& a, double& b, double c, double factor) {
  double na = c - (c - a) * factor;
  double nb = c + (b - c) * factor;
  if (nb - na >= 1.0) {
    na = 0;
    nb = 1;
  } else if (nb - na < kMinFraction) {
    return;
  }
  if (na < 0) {
    nb -= na;
    na = 0;
  }
  if (nb > 1) {
    na -= nb - 1;
    nb = 1;
  }
  a = na;
  b = nb;
}

void Shift(double& a, double& b, double by) {
  by = std::clamp(by, -a, 1 - b);
  a += by;
  b += by;
}

PlotSpan Part(PlotSpan full, double a, double b) {
  const double w = full.high - full.low;
  return {full.low + a * w, full.low + b * w};
}

}  // namespace

PlotExplorer::PlotExplorer(QWidget& plot, Exports exports)
    : QObject(&plot), plot_(plot), exports_(std::move(exports)) {
  plot_.setMouseTracking(true);
  plot_.installEventFilter(this);
}

PlotExplorer::~PlotExplorer() { plot_.removeEventFilter(this); }

void PlotExplorer::SetExports(Exports exports) {
  if (!exports.curve) exports.curve = std::move(exports_.curve);
  exports_ = std::move(exports);
}

PlotSpan PlotExplorer::VisibleX(PlotSpan full, const QRect& area) {
  fullX_ = full;
  area_ = area;
  return Part(full, x0_, x1_);
}

PlotSpan PlotExplorer::VisibleY(PlotSpan full) {
  fullY_ = full;
  return Part(full, y0_, y1_);
}

bool PlotExplorer::Zoomed() const { return x0_ != 0 || x1_ != 1 || y0_ != 0 || y1_ != 1; }

void PlotExplorer::Reset() {
  x0_ = y0_ = 0;
  x1_ = y1_ = 1;
  plot_.update();
}

double PlotExplorer::FractionX(int x) const {
  const double f = (x - area_.left()) / static_cast<double>(std::max(area_.width(), 1));
  return x0_ + std::clamp(f, 0.0, 1.0) * (x1_ - x0_);
}

double PlotExplorer::FractionY(int y) const {
  const double f = (area_.bottom() - y) / static_cast<double>(std::max(area_.height(), 1));
  return y0_ + std::clamp(f, 0.0, 1.0) * (y1_ - y0_);
}

void PlotExplorer::Wheel(QPoint at, int steps, bool values) {
  const double factor = std::pow(kWheelFactor, steps);
  if (values) {
    ZoomAbout(y0_, y1_, FractionY(at.y()), factor);
  } else {
    ZoomAbout(x0_, x1_, FractionX(at.x()), factor);
  }
  plot_.update();
}

void PlotExplorer::Drag(QPoint from, QPoint to) {
  Shift(x0_, x1_,
        (from.x() - to.x()) / static_cast<double>(std::max(area_.width(), 1)) * (x1_ - x0_));
  Shift(y0_, y1_,
        (to.y() - from.y()) / static_cast<double>(std::max(area_.height(), 1)) * (y1_ - y0_));
  plot_.update();
}

void PlotExplorer::ZoomTo(QRect r) {
  r = r.normalized();
  const double a = FractionX(r.left()), b = FractionX(r.right());
  const double c = FractionY(r.bottom()), d = FractionY(r.top());
  if (b - a >= kMinFraction) {
    x0_ = a;
    x1_ = b;
  }
  if (d - c >= kMinFraction) {
    y0_ = c;
    y1_ = d;
  }
  plot_.update();
}

std::optional<double> PlotExplorer::CursorX() const {
  if (!pointer_ || !area_.contains(*pointer_)) return std::nullopt;
  return Part(fullX_, x0_, x1_).low +
         (pointer_->x() - area_.left()) / static_cast<double>(std::max(area_.width(), 1)) *
             (Part(fullX_, x0_, x1_).high - Part(fullX_, x0_, x1_).low);
}

void PlotExplorer::PaintCursor(QPainter& painter,
                               const std::function<QString(double)>& text) const {
  if (pressed_ && rectangle_) {
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(*pressed_, dragged_).normalized());
  }
  const auto x = CursorX();
  if (!x) return;
  painter.setPen(QPen(QColor(0, 128, 0), 1, Qt::DashLine));
  painter.drawLine(pointer_->x(), area_.top(), pointer_->x(), area_.bottom());
  const QString label = text(*x);
  if (label.isEmpty()) return;
  const QFontMetrics fm(painter.font());
  QRect box = fm.boundingRect(label).adjusted(-3, -1, 3, 1);
  int left = pointer_->x() + 6;
  if (left + box.width() > area_.right()) left = pointer_->x() - 6 - box.width();
  box.moveTo(std::max(left, area_.left()), area_.top() + 2);
  painter.fillRect(box, QColor(255, 255, 225));
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(box);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter, label);
}

bool PlotExplorer::CopyPlot() const {
  auto* data = new QMimeData;
  data->setImageData(plot_.grab().toImage());
  if (exports_.table) data->setText(exports_.table());
  QApplication::clipboard()->setMimeData(data);
  return true;
}

bool PlotExplorer::SavePng(const QString& path, int* error) const {
  return velqoris::SavePng(plot_.grab().toImage(), path.toStdString(), error);
}

bool PlotExplorer::SaveCsv(const QString& path, int* error) const {
  return exports_.csv && WriteCsvFile(path.toStdString(), exports_.csv(), error);
}

bool PlotExplorer::CopyCurve() const {
  if (!exports_.curve) return false;
  QApplication::clipboard()->setText(exports_.curve());
  return true;
}

bool PlotExplorer::SaveCurveCsv(const QString& path, int* error) const {
  return exports_.curve && WriteCsvFile(path.toStdString(), exports_.curve(), error);
}

void PlotExplorer::ContextMenu(QPoint at) {
  QMenu menu(&plot_);
  QAction* copy = menu.addAction(Text("図と表をコピー"));
  QAction* png = menu.addAction(Text("図を PNG で保存..."));
  QAction* csv = menu.addAction(Text("表を CSV で保存..."));
  csv->setEnabled(static_cast<bool>(exports_.csv));
  menu.addSeparator();
  QAction* copyCurve = menu.addAction(Text("データをコピー"));
  QAction* curveCsv = menu.addAction(Text("データを CSV で保存..."));
  copyCurve->setEnabled(static_cast<bool>(exports_.curve));
  curveCsv->setEnabled(static_cast<bool>(exports_.curve));
  QAction* bom = menu.addAction(Text("CSV に BOM を付ける (Excel 用)"));
  bom->setCheckable(true);
  bom->setChecked(CsvByteOrderMark());
  menu.addSeparator();
  QAction* reset = menu.addAction(Text("全体表示に戻す"));
  reset->setEnabled(Zoomed());
  QAction* chosen = menu.exec(plot_.mapToGlobal(at));
  if (chosen == copy) CopyPlot();
  if (chosen == copyCurve) CopyCurve();
  if (chosen == bom) SetCsvByteOrderMark(bom->isChecked());
  if (chosen == reset) Reset();
  // A failed save says so, with the system's reason; the old file is as it was.
  int error = 0;
  if (chosen == png) {
    const QString path = QFileDialog::getSaveFileName(&plot_, png->text(), {}, Text("PNG (*.png)"));
    if (!path.isEmpty() && !SavePng(path, &error))
      dialogs::ShowError(OutputNotWrittenMessage("PNG", path.toStdString(), error), "VELQORIS");
  }
  if (chosen == csv || chosen == curveCsv) {
    const QString path =
        QFileDialog::getSaveFileName(&plot_, chosen->text(), {}, Text("CSV (*.csv)"));
    if (!path.isEmpty() && !(chosen == csv ? SaveCsv(path, &error) : SaveCurveCsv(path, &error)))
      dialogs::ShowError(OutputNotWrittenMessage("CSV", path.toStdString(), error), "VELQORIS");
  }
}

bool PlotExplorer::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &plot_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Wheel: {
      auto* w = static_cast<QWheelEvent*>(event);
      wheelRest_ += w->angleDelta().y();
      const int steps = wheelRest_ / 120;
      wheelRest_ -= steps * 120;
      if (steps != 0) {
        Wheel(w->position().toPoint(), steps, (w->modifiers() & Qt::ControlModifier) != 0);
      }
      return true;
    }
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(event);
      if (m->button() != Qt::LeftButton || !area_.contains(m->position().toPoint())) return false;
      pressed_ = dragged_ = m->position().toPoint();
      rectangle_ = (m->modifiers() & Qt::ShiftModifier) != 0;
      px0_ = x0_, px1_ = x1_, py0_ = y0_, py1_ = y1_;
      return true;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      pointer_ = m->position().toPoint();
      if (pressed_) {
        dragged_ = *pointer_;
        if (!rectangle_) {
          x0_ = px0_, x1_ = px1_, y0_ = py0_, y1_ = py1_;
          Drag(*pressed_, dragged_);
        }
      }
      plot_.update();
      return false;
    }
    case QEvent::MouseButtonRelease: {
      if (!pressed_) return false;
      const QPoint from = *pressed_;
      pressed_.reset();
      if (rectangle_ && (from - dragged_).manhattanLength() > 4) ZoomTo(QRect(from, dragged_));
      plot_.update();
      return true;
    }
    case QEvent::MouseButtonDblClick:
      Reset();
      return true;
    case QEvent::Leave:
      pointer_.reset();
      plot_.update();
      return false;
    case QEvent::ContextMenu:
      ContextMenu(static_cast<QContextMenuEvent*>(event)->pos());
      return true;
    default:
      return false;
  }
}

}  // namespace velqoris
