#include "plots/Stability_picture.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "analysis/Figure_rows.h"
#include "plots/Analysis_pictures.h"
#include "plots/Log_log_view.h"
#include "plots/Stability_plots.h"
#include "plots/Window_font.h"

namespace velqoris {

namespace {

QString Title(const analysis::StabilityAnalysis& a, const char* what) {
  QString t = QString::fromStdString(analysis::ChannelName(a.channel)) +
              QStringLiteral(" : %1 点").arg(a.count);
  if (a.rateSps > 0.0) {
    t += QStringLiteral(" / %1 sps / %2 s").arg(a.rateSps).arg(a.durationSeconds, 0, 'f', 1);
  }
  if (a.gain) t += QStringLiteral(" / ゲイン %1").arg(*a.gain);
  return t + QStringLiteral("  ") + QString::fromUtf8(what);
}

}  // namespace

QImage StabilityPicture(const std::vector<analysis::StabilityAnalysis>& channels) {
  const int panels = 2 * std::max<int>(1, static_cast<int>(channels.size()));
  QImage image(kPanelWidth, (kTitleHeight + kPanelHeight) * panels, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont bold = WindowFont();
  bold.setBold(true);
  p.setFont(bold);
  p.setPen(Qt::black);
  int top = 0;
  for (const auto& a : channels) {
    for (int which = 0; which < 2; ++which) {
      LogLogView view;
      if (which == 0) {
        ShowAllanDeviation(view, a);
      } else {
        ShowAveragedSpectrum(view, a);
      }
      p.drawText(QRect(8, top, kPanelWidth - 16, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                 Title(a, which == 0 ? "アラン偏差" : "平均化ノイズスペクトル"));
      p.drawImage(0, top + kTitleHeight, RenderPanel(view));
      top += kTitleHeight + kPanelHeight;
    }
  }
  return image;
}

}  // namespace velqoris
