#include "plots/Strip_chart_view.h"

#include <QFontMetrics>
#include <QPainter>

#include "graph/Graph_2ch.h"
#include "graph/Strip_history.h"

namespace velqoris {

namespace {

constexpr int kLeftMargin = 64;
constexpr int kBottomMargin = 18;

}  // namespace

StripChartView::StripChartView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect StripChartView::PlotRect() const {
  return QRect(kLeftMargin, 4, std::max(width() - kLeftMargin - 8, 16),
               std::max(height() - kBottomMargin - 8, 16));
}

void StripChartView::Show(const TStripHistory* history, std::int64_t span, const QString& spanText,
                          bool voltMode, std::int32_t gain) {
  history_ = history;
  span_ = std::max<std::int64_t>(span, 1);
  spanText_ = spanText;
  voltMode_ = voltMode;
  gain_ = gain;
  Render();
  update();
}

void StripChartView::resizeEvent(QResizeEvent*) { Render(); }

bool StripChartView::TwoPanes() const {
  return perChannel_ && history_ != nullptr && history_->Holds(0) && history_->Holds(1);
}

void StripChartView::Render() {
  const QRect plot = PlotRect();
  if (picture_.size() != plot.size()) picture_ = QImage(plot.size(), QImage::Format_RGB32);
  // Before the first recording: the grid alone.
  static const TStripHistory kNothingYet(1);
  const PixelView view{reinterpret_cast<std::uint32_t*>(picture_.bits()), picture_.width(),
                       picture_.height(), picture_.bytesPerLine() / 4};
  const TraceColours colours{TGraph_2CH::kGrid, TGraph_2CH::kChannel0, TGraph_2CH::kChannel1};
  if (!TwoPanes()) {
    axis_ = DrawStrip(view, history_ != nullptr ? *history_ : kNothingYet, span_, voltMode_, gain_,
                      colours);
    return;
  }
  PixelView top = view;
  top.height = view.height / 2;
  PixelView bottom = view;
  bottom.bits += static_cast<std::ptrdiff_t>(top.height) * view.stride;
  bottom.height = view.height - top.height;
  axis_ = DrawStrip(top, *history_, span_, voltMode_, gain_, colours, 0);
  lower_ = DrawStrip(bottom, *history_, span_, voltMode_, gain_, colours, 1);
}

void StripChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QRect plot = PlotRect();
  painter.drawImage(plot.topLeft(), picture_);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics metrics(font());
  const auto labels = [&](const StripAxis& axis, int top, int height, QColor colour) {
    painter.setPen(colour);
    for (const int i : {0, 5, 10}) {
      const QString text = QString::fromStdString(axis.labels[static_cast<std::size_t>(i)]);
      const int y = top + (height - 1) * i / 10;
      painter.drawText(QRect(0, y - metrics.height() / 2, kLeftMargin - 4, metrics.height()),
                       Qt::AlignRight | Qt::AlignVCenter, text);
    }
  };
  if (TwoPanes()) {
    const int half = plot.height() / 2;
    labels(axis_, plot.top(), half, QColor::fromRgb(TGraph_2CH::kChannel0).darker(120));
    labels(lower_, plot.top() + half, plot.height() - half,
           QColor::fromRgb(TGraph_2CH::kChannel1).darker(120));
  } else if (history_ != nullptr) {
    labels(axis_, plot.top(), plot.height(), palette().color(QPalette::WindowText));
  }
  painter.setPen(palette().color(QPalette::WindowText));
  // The legend names the channels recorded.
  int right = plot.right() - 6;
  for (int ch = 1; ch >= 0; --ch) {
    if (history_ == nullptr || !history_->Holds(ch)) continue;
    const QString name = QStringLiteral("CH%1").arg(ch);
    const int w = metrics.horizontalAdvance(name);
    const QRect box(right - w - 18, plot.top() + 4, w + 20, metrics.height() + 2);
    painter.fillRect(box, QColor(255, 255, 255, 220));
    painter.setPen(
        QPen(QColor::fromRgb(ch == 0 ? TGraph_2CH::kChannel0 : TGraph_2CH::kChannel1), 2));
    painter.drawLine(box.left() + 3, box.center().y(), box.left() + 13, box.center().y());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(box.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, name);
    right = box.left() - 4;
  }
  const int textTop = plot.bottom() + 3;
  painter.drawText(QRect(plot.left(), textTop, plot.width(), metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop, QStringLiteral("-") + spanText_);
  painter.drawText(QRect(plot.left(), textTop, plot.width(), metrics.height()),
                   Qt::AlignRight | Qt::AlignTop, QString::fromUtf8("現在"));
}

}  // namespace velqoris
