#include "plots/Analysis_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <optional>

#include "analysis/Channel_analysis.h"
#include "analysis/Code_scale.h"
#include "plots/Histogram_view.h"
#include "plots/Spectrum_view.h"
#include "plots/Window_font.h"

namespace velqoris {

namespace {

using Panel = std::function<QImage(const HeldChannel&)>;

QImage Stack(const std::vector<HeldChannel>& channels, const MeasureSettings& settings,
             const QString& what, const Panel& panel) {
  const int rows = static_cast<int>(channels.size());
  QImage image(kPanelWidth, (kTitleHeight + kPanelHeight) * std::max(rows, 1),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont bold = WindowFont();
  bold.setBold(true);
  p.setFont(bold);
  p.setPen(Qt::black);
  for (int i = 0; i < rows; ++i) {
    const HeldChannel& c = channels[static_cast<std::size_t>(i)];
    const int top = i * (kTitleHeight + kPanelHeight);
    p.drawText(QRect(8, top, kPanelWidth - 16, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(ChannelHeading(c, settings)) + QStringLiteral("  ") + what);
    p.drawImage(0, top + kTitleHeight, panel(c));
  }
  return image;
}

}  // namespace

QImage HistogramPanel(const HeldChannel& channel, const MeasureSettings& settings, bool voltMode) {
  const auto analysis = analysis::AnalyzeChannelNoise(channel.codes, channel.count, settings);
  const auto gain = analysis::GainOfSettings(settings);
  HistogramView view;
  view.SetHistogram(analysis.histogram,
                    gain ? std::optional<double>(MicrovoltsPerCode(*gain)) : std::nullopt,
                    voltMode);
  return RenderPanel(view);
}

QImage SpectrumPanel(const HeldChannel& channel, const MeasureSettings& settings,
                     analysis::SpectrumWindow window) {
  const auto analysis =
      analysis::AnalyzeChannelSpectrum(channel.codes, channel.count, settings, window);
  SpectrumView view;
  view.SetSpectrum(analysis.spectrum, analysis.figures);
  return RenderPanel(view);
}

QImage HistogramPicture(const std::vector<HeldChannel>& channels, const MeasureSettings& settings,
                        bool voltMode) {
  return Stack(channels, settings, QStringLiteral("ヒストグラム"),
               [&](const HeldChannel& c) { return HistogramPanel(c, settings, voltMode); });
}

QImage HistogramPicture(const RunData& data, bool voltMode) {
  return HistogramPicture(HeldChannels(data), data.Settings, voltMode);
}

QImage SpectrumPicture(const RunData& data, analysis::SpectrumWindow window) {
  const QString what = QStringLiteral("スペクトル (") +
                       QString::fromUtf8(analysis::WindowLabel(window)) + QStringLiteral(" 窓)");
  return Stack(HeldChannels(data), data.Settings, what,
               [&](const HeldChannel& c) { return SpectrumPanel(c, data.Settings, window); });
}

QImage RenderPanel(QWidget& view) {
  view.setFont(WindowFont());
  view.resize(kPanelWidth, kPanelHeight);
  view.ensurePolished();
  return view.grab(view.rect()).toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace velqoris
