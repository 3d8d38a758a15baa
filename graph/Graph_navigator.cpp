#include "graph/Graph_navigator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "graph/Graph_2ch.h"
#include "graph/Paint_box.h"

namespace velqoris {

namespace {

constexpr int kWheelStep = 120;  // one notch

}  // namespace

TGraphNavigator::TGraphNavigator(TPaintBox& paintBox, TGraph_2CH& graph,
                                 std::function<bool()> voltMode, std::function<void()> changed)
    : paintBox_(paintBox),
      graph_(graph),
      voltMode_(std::move(voltMode)),
      changed_(std::move(changed)) {
  paintBox_.setMouseTracking(true);
  paintBox_.installEventFilter(this);
  paintBox_.overlay = [this](QPainter& painter) { PaintOverlay(painter); };
}

TGraphNavigator::~TGraphNavigator() {
  paintBox_.removeEventFilter(this);
  paintBox_.overlay = nullptr;
}

void TGraphNavigator::Redraw() {
  graph_.DrawAll(voltMode_());
  if (changed_) changed_();
}

void TGraphNavigator::ResetView() {
  graph_.Range().Reset();
  if (graph_.HoldsData()) Redraw();
}

bool TGraphNavigator::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &paintBox_) return QObject::eventFilter(watched, event);
  const QImage& bitmap = graph_.Bitmap();
  const double across = std::max(bitmap.width() - 2, 1);
  const double down = std::max(bitmap.height(), 1);
  // Bitmap coordinates: the picture sits one pixel inside the paint box.
  const auto local = [](const QPointF& p) { return QPoint(int(p.x()) - 1, int(p.y()) - 1); };
  switch (event->type()) {
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      if (!graph_.HoldsData()) return false;
      wheelRest_ += wheel->angleDelta().y();
      const int steps = wheelRest_ / kWheelStep;
      wheelRest_ -= steps * kWheelStep;
      if (steps == 0) return true;
      const QPoint p = local(wheel->position());
      if ((wheel->modifiers() & Qt::ControlModifier) != 0) {
        graph_.Range().WheelY(p.y() / down, steps, graph_.ShownValues(), voltMode_());
      } else {
        graph_.Range().WheelX((p.x() - 1) / across, steps);
      }
      Redraw();
      return true;
    }
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || !graph_.HoldsData()) return false;
      pressed_ = dragged_ = local(mouse->position());
      pressedRange_ = graph_.Range();
      drag_ = (mouse->modifiers() & Qt::ShiftModifier) != 0 ? Drag::kRectangle : Drag::kPan;
      return true;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint p = local(mouse->position());
      cursor_ = p.x();
      cursorRow_ = p.y();
      if (drag_ == Drag::kPan && p != dragged_) {
        dragged_ = p;
        graph_.Range() = pressedRange_;
        graph_.Range().Pan((p.x() - pressed_.x()) / across, (p.y() - pressed_.y()) / down,
                           voltMode_());
        Redraw();
      } else if (drag_ == Drag::kRectangle) {
        dragged_ = p;
      }
      paintBox_.update();
      return drag_ != Drag::kNone;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton || drag_ == Drag::kNone) return false;
      const Drag was = std::exchange(drag_, Drag::kNone);
      const QPoint p = local(mouse->position());
      if (was == Drag::kRectangle && std::abs(p.x() - pressed_.x()) > 2 &&
          std::abs(p.y() - pressed_.y()) > 2) {
        const double left = (std::min(p.x(), pressed_.x()) - 1) / across;
        const double right = (std::max(p.x(), pressed_.x()) - 1) / across;
        const double top = std::min(p.y(), pressed_.y()) / down;
        const double bottom = std::max(p.y(), pressed_.y()) / down;
        graph_.Range().ZoomTo(left, right, top, bottom, graph_.ShownValues(), voltMode_());
        Redraw();
      }
      paintBox_.update();
      return true;
    }
    case QEvent::MouseButtonDblClick: {
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      drag_ = Drag::kNone;
      ResetView();
      return true;
    }
    case QEvent::Leave:
      cursor_.reset();
      paintBox_.update();
      return false;
    default:
      return false;
  }
}

void TGraphNavigator::PaintOverlay(QPainter& painter) {
  const QImage& bitmap = graph_.Bitmap();
  if (bitmap.isNull() || !graph_.HoldsData()) return;
  painter.setFont(paintBox_.font());
  const QFontMetrics metrics(painter.font());
  const bool pointerIn = cursor_.has_value();
  // The designed picture stays as it is: the legend shows with the cursor or a zoom.
  if (graph_.HoldsBothChannels() && (pointerIn || graph_.Range().Zoomed())) {
    const int right = bitmap.width() - 4;
    const int w = metrics.horizontalAdvance(QStringLiteral("CH0")) + 22;
    const int h = metrics.height();
    const QRect box(right - w, 4, w, 2 * h + 4);
    painter.fillRect(box.translated(1, 1), QColor(255, 255, 255, 220));
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(box.translated(1, 1));
    const QColor colours[2] = {QColor::fromRgb(TGraph_2CH::kChannel0),
                               QColor::fromRgb(TGraph_2CH::kChannel1)};
    for (int ch = 0; ch < 2; ++ch) {
      const int y = box.top() + 3 + ch * h + h / 2;
      painter.setPen(QPen(colours[ch], 2));
      painter.drawLine(box.left() + 5, y, box.left() + 15, y);
      painter.setPen(Qt::black);
      painter.drawText(box.left() + 19, box.top() + 3 + ch * h + metrics.ascent(),
                       QStringLiteral("CH%1").arg(ch));
    }
  }
  if (drag_ == Drag::kRectangle) {
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(QRect(pressed_, dragged_).normalized().translated(1, 1));
  }
  if (!pointerIn || *cursor_ < 1 || *cursor_ >= bitmap.width() - 1) return;
  const auto reading = graph_.ReadAt(*cursor_);
  if (!reading) return;
  const int x = static_cast<int>(graph_.Range().ColumnOf(reading->sample - 1, bitmap.width())) + 1;
  painter.setPen(QPen(QColor(0, 128, 0), 1, Qt::DashLine));
  painter.drawLine(x, 1, x, bitmap.height());
  const QString text = QString::fromStdString(CursorText(*reading, voltMode_()));
  const QRect textRect = metrics.boundingRect(text).adjusted(-3, -1, 3, 1);
  int left = x + 6;
  if (left + textRect.width() > paintBox_.width() - 2) left = x - 6 - textRect.width();
  const int top =
      std::clamp(cursorRow_ - textRect.height() - 8, 2, paintBox_.height() - textRect.height() - 2);
  const QRect label(std::max(left, 2), top, textRect.width(), textRect.height());
  painter.fillRect(label, QColor(255, 255, 225));
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(label);
  painter.setPen(Qt::black);
  painter.drawText(label, Qt::AlignCenter, text);
}

}  // namespace velqoris
