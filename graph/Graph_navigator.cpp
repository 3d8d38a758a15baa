#include "graph/Graph_navigator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
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
constexpr int kClickSlack = 2;   // pixels a click may move and stay a click
constexpr int kGrip = 3;         // pixels either side of a cursor line that take it
const QColor kCursorColours[2] = {QColor(160, 0, 160), QColor(0, 128, 128)};

}  // namespace

TGraphNavigator::TGraphNavigator(TPaintBox& paintBox, TGraph_2CH& graph,
                                 std::function<bool()> voltMode, std::function<void()> changed)
    : paintBox_(paintBox),
      graph_(graph),
      voltMode_(std::move(voltMode)),
      changed_(std::move(changed)) {
  paintBox_.setMouseTracking(true);
  paintBox_.setFocusPolicy(Qt::ClickFocus);
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

void TGraphNavigator::SetCursor(int which, std::optional<std::int64_t> sample) {
  which = which == 0 ? 0 : 1;
  if (sample && !graph_.ReadSample(*sample)) return;
  cursors_[static_cast<std::size_t>(which)] = sample;
  if (sample) lastCursor_ = which;
  paintBox_.update();
  if (cursorsChanged_) cursorsChanged_();
}

std::optional<std::int64_t> TGraphNavigator::SampleAt(int column) const {
  const auto reading = graph_.ReadAt(column);
  if (!reading) return std::nullopt;
  return reading->sample - 1;
}

std::optional<int> TGraphNavigator::CursorNear(int column) const {
  for (int which = 0; which < 2; ++which) {
    const auto& c = cursors_[static_cast<std::size_t>(which)];
    if (c && std::abs(graph_.ColumnOfSample(*c) - column) <= kGrip) return which;
  }
  return std::nullopt;
}

std::vector<std::string> TGraphNavigator::CursorLines() const {
  std::vector<std::string> lines;
  std::optional<CursorReading> readings[2];
  for (int which = 0; which < 2; ++which) {
    const auto& c = cursors_[static_cast<std::size_t>(which)];
    if (c) readings[which] = graph_.ReadSample(*c);
    if (readings[which]) {
      lines.push_back(std::string(which == 0 ? "A: " : "B: ") +
                      CursorText(*readings[which], voltMode_()));
    }
  }
  if (readings[0] && readings[1]) {
    lines.push_back(CursorDeltaText(*readings[0], *readings[1], voltMode_()));
    if (extra_) {
      for (std::string& line :
           extra_(std::min(*cursors_[0], *cursors_[1]), std::max(*cursors_[0], *cursors_[1]))) {
        lines.push_back(std::move(line));
      }
    }
  }
  return lines;
}

bool TGraphNavigator::Key(int key, Qt::KeyboardModifiers modifiers) {
  if (!graph_.HoldsData()) return false;
  switch (key) {
    case Qt::Key_A:
    case Qt::Key_B:
      if (!cursor_) return false;
      if (const auto sample = SampleAt(*cursor_)) SetCursor(key == Qt::Key_A ? 0 : 1, sample);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const auto& c = cursors_[static_cast<std::size_t>(lastCursor_)];
      if (!c) return false;
      const std::int64_t step = (modifiers & Qt::ShiftModifier) != 0 ? 10 : 1;
      const std::int64_t next = *c + (key == Qt::Key_Left ? -step : step);
      if (graph_.ReadSample(next)) SetCursor(lastCursor_, next);
      return true;
    }
    case Qt::Key_Escape:
    case Qt::Key_Delete:
      if (!cursors_[0] && !cursors_[1]) return false;
      cursors_ = {};
      paintBox_.update();
      if (cursorsChanged_) cursorsChanged_();
      return true;
    default:
      return false;
  }
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
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      return Key(key->key(), key->modifiers());
    }
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!graph_.HoldsData()) return false;
      const QPoint p = local(mouse->position());
      if (mouse->button() == Qt::RightButton) {
        if (const auto sample = SampleAt(p.x())) SetCursor(1, sample);
        return true;
      }
      if (mouse->button() != Qt::LeftButton) return false;
      pressed_ = dragged_ = p;
      pressedRange_ = graph_.Range();
      moved_ = false;
      const auto near = CursorNear(p.x());
      if ((mouse->modifiers() & Qt::ShiftModifier) != 0) {
        drag_ = Drag::kRectangle;
      } else if (near) {
        drag_ = Drag::kCursor;
        lastCursor_ = *near;
      } else {
        drag_ = Drag::kPan;
      }
      return true;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint p = local(mouse->position());
      cursor_ = p.x();
      cursorRow_ = p.y();
      moved_ = moved_ || (p - pressed_).manhattanLength() > kClickSlack;
      if (drag_ == Drag::kCursor) {
        if (const auto sample = SampleAt(p.x())) SetCursor(lastCursor_, sample);
      } else if (drag_ == Drag::kPan && moved_ && p != dragged_) {
        dragged_ = p;
        graph_.Range() = pressedRange_;
        graph_.Range().Pan((p.x() - pressed_.x()) / across, (p.y() - pressed_.y()) / down);
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
      // A click that did not move places cursor A.
      if (was == Drag::kPan && !moved_) {
        if (const auto sample = SampleAt(pressed_.x())) SetCursor(0, sample);
      }
      if (was == Drag::kRectangle && std::abs(p.x() - pressed_.x()) > 2 &&
          std::abs(p.y() - pressed_.y()) > 2) {
        const double left = (std::min(p.x(), pressed_.x()) - 1) / across;
        const double right = (std::max(p.x(), pressed_.x()) - 1) / across;
        const double top = std::min(p.y(), pressed_.y()) / down;
        const double bottom = std::max(p.y(), pressed_.y()) / down;
        graph_.Range().ZoomTo(left, right, top, bottom, graph_.ShownValues());
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
  PaintNote(painter);
  PaintCursors(painter);
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

void TGraphNavigator::PaintCursors(QPainter& painter) {
  const QImage& bitmap = graph_.Bitmap();
  const QFontMetrics metrics(painter.font());
  for (int which = 0; which < 2; ++which) {
    const auto& c = cursors_[static_cast<std::size_t>(which)];
    if (!c) continue;
    const int x = static_cast<int>(graph_.ColumnOfSample(*c)) + 1;
    if (x < 1 || x > bitmap.width()) continue;
    painter.setPen(QPen(kCursorColours[which], 1));
    painter.drawLine(x, 1, x, bitmap.height());
    const QString tag = which == 0 ? QStringLiteral("A") : QStringLiteral("B");
    const QRect box(x - metrics.horizontalAdvance(tag) / 2 - 2, bitmap.height() - metrics.height(),
                    metrics.horizontalAdvance(tag) + 4, metrics.height());
    painter.fillRect(box, kCursorColours[which]);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, tag);
  }
  const std::vector<std::string> lines = CursorLines();
  if (lines.empty()) return;
  int width = 0;
  for (const std::string& line : lines) {
    width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line)));
  }
  const QRect box(4, 4, width + 8, static_cast<int>(lines.size()) * metrics.height() + 6);
  painter.fillRect(box, QColor(255, 255, 240, 235));
  painter.setPen(QColor(96, 96, 96));
  painter.drawRect(box);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    painter.setPen(i < 2 && lines[i][0] == 'B' ? kCursorColours[1]
                   : i == 0                    ? kCursorColours[0]
                                               : QColor(Qt::black));
    painter.drawText(box.left() + 4,
                     box.top() + 3 + static_cast<int>(i) * metrics.height() + metrics.ascent(),
                     QString::fromStdString(lines[i]));
  }
}

void TGraphNavigator::PaintNote(QPainter& painter) {
  if (!note_) return;
  const std::vector<std::string> lines = note_();
  if (lines.empty()) return;
  const QFontMetrics metrics(painter.font());
  int width = 0;
  for (const std::string& line : lines) {
    width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line)));
  }
  const int height = static_cast<int>(lines.size()) * metrics.height() + 6;
  const QRect box(4, graph_.Bitmap().height() - height - 4, width + 8, height);
  painter.fillRect(box, QColor(255, 255, 255, 215));
  painter.setPen(QColor(150, 150, 150));
  painter.drawRect(box);
  painter.setPen(QColor(90, 90, 90));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    painter.drawText(box.left() + 4,
                     box.top() + 3 + static_cast<int>(i) * metrics.height() + metrics.ascent(),
                     QString::fromStdString(lines[i]));
  }
}

}  // namespace velqoris
