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

void StripChartView::Render() {
  const QRect plot = PlotRect();
  if (picture_.size() != plot.size()) picture_ = QImage(plot.size(), QImage::Format_RGB32);
  // Before the first recording: the grid alone.
  static const TStripHistory kNothingYet(1);
  const PixelView view{reinterpret_cast<std::uint32_t*>(picture_.bits()), picture_.width(),
                       picture_.height(), picture_.bytesPerLine() / 4};
  axis_ = DrawStrip(view, history_ != nullptr ? *history_ : kNothingYet, span_, voltMode_, gain_,
                    {TGraph_2CH::kGrid, TGraph_2CH::kChannel0, TGraph_2CH::kChannel1});
}

void StripChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const QRect plot = PlotRect();
  painter.drawImage(plot.topLeft(), picture_);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetrics metrics(font());
  if (history_ != nullptr) {
    for (const int i : {0, 5, 10}) {
      const QString text = QString::fromStdString(axis_.labels[static_cast<std::size_t>(i)]);
      const int y = plot.top() + (plot.height() - 1) * i / 10;
      painter.drawText(QRect(0, y - metrics.height() / 2, kLeftMargin - 4, metrics.height()),
                       Qt::AlignRight | Qt::AlignVCenter, text);
    }
  }
  const int textTop = plot.bottom() + 3;
  painter.drawText(QRect(plot.left(), textTop, plot.width(), metrics.height()),
                   Qt::AlignLeft | Qt::AlignTop, QStringLiteral("-") + spanText_);
  painter.drawText(QRect(plot.left(), textTop, plot.width(), metrics.height()),
                   Qt::AlignRight | Qt::AlignTop, QString::fromUtf8("現在"));
}

}  // namespace velqoris
