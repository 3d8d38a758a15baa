#include "graph/Graph_2ch.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "graph/Line_raster.h"

namespace velqoris {

namespace {

// Pixel coordinates are bounded far outside any bitmap so that values off the
// axis stay integers; the line routine clips them.
constexpr double kCoordinateLimit = 1 << 28;

std::int64_t TruncCoordinate(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int64_t>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

int ClampIndex(int index) { return std::clamp(index, 0, kSampleCapacity - 1); }

void SetLabelText(QLabel* label, const std::string& text) {
  label->setText(QString::fromStdString(text));
  label->adjustSize();  // its width follows its text before it is placed
}

}  // namespace

TGraph_2CH::TGraph_2CH(TPaintBox& paintBox, SampleBuffer& ch0, SampleBuffer& ch1,
                       MeasureSettings& settings, std::array<QLabel*, 11>& yLabels,
                       std::array<QLabel*, 2>& xLabels)
    : Ch0(ch0),
      Ch1(ch1),
      Settings(settings),
      PaintBox(paintBox),
      YLabels(yLabels),
      XLabels(xLabels),
      Scale(ch0, ch1, settings),
      EventPump([] { QCoreApplication::processEvents(); }) {
  Layout();
}

TGraph_2CH::~TGraph_2CH() { PaintBox.SetPicture(nullptr, QRect()); }

void TGraph_2CH::SetEventPump(std::function<void()> pump) { EventPump = std::move(pump); }

void TGraph_2CH::Layout() {
  BoxWidth = PaintBox.width();
  BoxHeight = PaintBox.height();
  BmpWidth = std::max(BoxWidth - 2, 0);
  BmpHeight = std::max(BoxHeight - 2, 0);
  DestRect = QRect(1, 1, BmpWidth, BmpHeight);
  SrcRect = QRect(0, 0, BmpWidth, BmpHeight);
  if (BitmapImage.width() == BmpWidth && BitmapImage.height() == BmpHeight) return;
  // Like a resized bitmap, the new one keeps what fits of the old picture.
  QImage resized(BmpWidth, BmpHeight, QImage::Format_RGB32);
  if (!resized.isNull()) {
    resized.fill(kBackground);
    if (!BitmapImage.isNull()) {
      QPainter painter(&resized);
      painter.drawImage(0, 0, BitmapImage);
    }
  }
  BitmapImage = std::move(resized);
}

void TGraph_2CH::Resize() { Layout(); }

void TGraph_2CH::ClearBitmap() {
  if (!BitmapImage.isNull()) BitmapImage.fill(kBackground);
}

void TGraph_2CH::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                      QRgb colour) {
  if (BitmapImage.isNull()) return;
  const PixelView view{reinterpret_cast<std::uint32_t*>(BitmapImage.bits()), BitmapImage.width(),
                       BitmapImage.height(), BitmapImage.bytesPerLine() / 4};
  DrawLineTo(view, x0, y0, x1, y1, colour);
}

void TGraph_2CH::DrawHorizontalGrid() {
  for (int i = 0; i <= 10; ++i) {
    const std::int64_t y = TruncCoordinate((BmpHeight - 1) * i * 0.1);
    Line(0, y, BmpWidth - 1, y, kGrid);
  }
}

void TGraph_2CH::DrawVerticalGrid() {
  for (int i = 0; i <= 10; ++i) {
    const std::int64_t x = TruncCoordinate((BmpWidth - 1) * i * 0.1);
    Line(x, 0, x, BmpHeight - 1, kGrid);
  }
}

void TGraph_2CH::CopyToPaintBox() {
  PaintBox.SetPicture(&BitmapImage, DestRect);
  PaintBox.update();
}

void TGraph_2CH::Repaint() { CopyToPaintBox(); }

void TGraph_2CH::PlaceYLabels(const LabelTexts& texts, Column column) {
  const int boxLeft = PaintBox.x();
  const int boxTop = PaintBox.y();
  for (int i = 0; i < 11; ++i) {
    QLabel* label = YLabels[static_cast<std::size_t>(i)];
    if (label == nullptr) continue;
    SetLabelText(label, texts[static_cast<std::size_t>(i)]);
    const int top = boxTop + 1 + (BmpHeight * i) / 10 - label->height() / 2;
    int left = boxLeft - 50;
    if (column == Column::CodeBlock) left = boxLeft - 67;
    if (column == Column::Volt) left = boxLeft - 3 - label->width();
    label->move(left, top);
  }
}

void TGraph_2CH::SetCodeLabels() {
  if (Scale.BothEmpty()) return;
  Scale.ScaleCodes();
  PlaceYLabels(Scale.CodeLabels(), Column::Code);
}

void TGraph_2CH::SetVoltLabels() {
  if (Scale.BothEmpty()) return;
  PlaceYLabels(Scale.VoltLabels(), Column::Volt);
}

void TGraph_2CH::SetXLabelTexts(const std::string& left, const std::string& right) {
  const int top = PaintBox.y() + BmpHeight + 10;
  if (QLabel* label = XLabels[0]) {
    SetLabelText(label, left);
    label->move(PaintBox.x(), top);
  }
  if (QLabel* label = XLabels[1]) {
    SetLabelText(label, right);
    label->move(PaintBox.x() + BmpWidth - label->width(), top);
  }
}

void TGraph_2CH::SetXLabels() {
  const int n1 = HeldSamples(Ch1);
  const int n = std::max(100, n1 != 0 ? n1 : HeldSamples(Ch0));
  SetXLabelTexts("1", std::to_string(n));
}

std::int64_t TGraph_2CH::CodeY(const SampleBuffer& buffer, int i) const {
  const double fraction =
      static_cast<double>(static_cast<std::int64_t>(buffer.Codes[i]) - Scale.CodeBottom) /
      Scale.CodeSpan;
  return TruncCoordinate(BmpHeight * (1.0 - fraction));
}

std::int64_t TGraph_2CH::VoltY(const SampleBuffer& buffer, int i) const {
  const double fraction =
      (static_cast<double>(buffer.Microvolts[i]) - Scale.UVBottom) / Scale.UVSpan;
  return TruncCoordinate(BmpHeight * (1.0 - fraction));
}

std::int64_t TGraph_2CH::Y(bool voltMode, const SampleBuffer& buffer, int i) const {
  return voltMode ? VoltY(buffer, i) : CodeY(buffer, i);
}

namespace {
bool Readable(bool voltMode, const SampleBuffer& buffer) {
  return voltMode ? buffer.Microvolts != nullptr : buffer.Codes != nullptr;
}
}  // namespace

void TGraph_2CH::PlotAll(bool voltMode) {
  if (Scale.BothEmpty()) return;
  const int n1 = HeldSamples(Ch1);
  const int n = std::max(100, n1 != 0 ? n1 : HeldSamples(Ch0));
  const float dx = static_cast<float>(static_cast<double>(BmpWidth - 2) / (n - 1));
  const auto plot = [&](const SampleBuffer& buffer, QRgb colour) {
    const int count = HeldSamples(buffer);
    if (count < 10 || !Readable(voltMode, buffer)) return;
    std::int64_t x = 1;
    std::int64_t y = Y(voltMode, buffer, 0);
    for (int i = 0; i + 1 < count; ++i) {
      const std::int64_t nextX = TruncCoordinate((i + 1) * static_cast<double>(dx)) + 1;
      const std::int64_t nextY = Y(voltMode, buffer, i + 1);
      Line(x, y, nextX, nextY, colour);
      x = nextX;
      y = nextY;
    }
  };
  plot(Ch0, kChannel0);
  plot(Ch1, kChannel1);  // channel 1 over channel 0
}

void TGraph_2CH::PlotBlock(bool voltMode, int first, int last) {
  if (last <= first) return;
  const float dx = static_cast<float>(static_cast<double>(BmpWidth - 2) / (last - first));
  const bool draw0 = (Settings.CHSel == 0 || Settings.CHSel == 2) && Readable(voltMode, Ch0);
  const bool draw1 = (Settings.CHSel == 1 || Settings.CHSel == 2) && Readable(voltMode, Ch1);
  for (int i = first; i < last; ++i) {
    const std::int64_t x0 = TruncCoordinate((i - first) * static_cast<double>(dx)) + 1;
    const std::int64_t x1 = TruncCoordinate((i - first + 1) * static_cast<double>(dx)) + 1;
    if (draw0) Line(x0, Y(voltMode, Ch0, i), x1, Y(voltMode, Ch0, i + 1), kChannel0);
    if (draw1) Line(x0, Y(voltMode, Ch1, i), x1, Y(voltMode, Ch1, i + 1), kChannel1);
  }
}

void TGraph_2CH::DrawEmpty(bool voltMode) {
  ClearBitmap();
  if (voltMode) {
    PlaceYLabels(Scale.DefaultVoltLabels(), Column::Volt);
  } else {
    PlaceYLabels(TAxisScale::DefaultCodeLabels(), Column::Code);
  }
  DrawHorizontalGrid();
  SetXLabelTexts("1", "1000");
  DrawVerticalGrid();
  CopyToPaintBox();
}

void TGraph_2CH::DrawAxes(bool voltMode) {
  ClearBitmap();
  if (voltMode) {
    SetVoltLabels();
  } else {
    SetCodeLabels();
  }
  DrawHorizontalGrid();
  SetXLabels();
  DrawVerticalGrid();
  CopyToPaintBox();
}

void TGraph_2CH::DrawAll(bool voltMode) {
  Scale.ScaleAll();
  if (voltMode) {
    SetVoltLabels();
  } else {
    SetCodeLabels();
  }
  ClearBitmap();
  DrawHorizontalGrid();
  SetXLabels();
  DrawVerticalGrid();
  if (EventPump) EventPump();
  PlotAll(voltMode);
  CopyToPaintBox();
}

void TGraph_2CH::DrawBlock(bool voltMode, int first, int last) {
  first = ClampIndex(first);
  last = ClampIndex(last);
  ClearBitmap();
  Scale.ScaleBlock(first, last);
  if (voltMode) {
    PlaceYLabels(Scale.VoltLabels(), Column::Volt);
  } else {
    PlaceYLabels(Scale.CodeLabels(), Column::CodeBlock);
  }
  DrawHorizontalGrid();
  SetXLabelTexts(std::to_string(first + 1), std::to_string(last + 1));
  DrawVerticalGrid();
  PlotBlock(voltMode, first, last);
  CopyToPaintBox();
}

}  // namespace velqoris
