#include "graph/Graph_2ch.h"

#include "graph/Sample_axis.h"

#include <QCoreApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace velqoris {

namespace {

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
      Plot(ch0, ch1, settings, Scale, {kGrid, kChannel0, kChannel1}),
      VisibleScale(Visible0, Visible1, settings),
      ShownPlot(Shown0, Shown1, settings, VisibleScale, {kGrid, kChannel0, kChannel1}),
      PaneScale0(Visible0, NoSamples, settings),
      PaneScale1(NoSamples, Visible1, settings),
      PanePlot0(Shown0, NoSamples, settings, PaneScale0, {kGrid, kChannel0, kChannel1}),
      PanePlot1(NoSamples, Shown1, settings, PaneScale1, {kGrid, kChannel0, kChannel1}),
      RefPlot(Ref0, Ref1, settings, VisibleScale, {kGrid, kReference0, kReference1}),
      RefPane0(Ref0, NoSamples, settings, PaneScale0, {kGrid, kReference0, kReference1}),
      RefPane1(NoSamples, Ref1, settings, PaneScale1, {kGrid, kReference0, kReference1}),
      EventPump([] { QCoreApplication::processEvents(); }) {
  if (yLabels[0] != nullptr) LabelPalette = yLabels[0]->palette();
  Layout();
}

void TGraph_2CH::SetChannelShown(int channel, bool shown) { Shown2[channel == 0 ? 0 : 1] = shown; }

void TGraph_2CH::SetReference(const SampleBuffer* ch0, const SampleBuffer* ch1) {
  RefHeld0 = ch0 != nullptr ? *ch0 : SampleBuffer{};
  RefHeld1 = ch1 != nullptr ? *ch1 : SampleBuffer{};
}

void TGraph_2CH::HoldReference(TAxisScale& scale) const {
  const auto first = ViewRange.First();
  const auto last = first + ViewRange.Span();
  bool any = false;
  std::int32_t maxCode = scale.MaxCode, minCode = scale.MinCode;
  float maxUV = scale.MaxUV, minUV = scale.MinUV;
  for (const SampleBuffer* b : {&Ref0, &Ref1}) {
    const auto to = std::min<std::int64_t>(last, HeldSamples(*b) - 1);
    for (auto i = first; i <= to; ++i) {
      any = true;
      maxCode = std::max(maxCode, b->Codes[i]);
      minCode = std::min(minCode, b->Codes[i]);
      if (b->Microvolts == nullptr) continue;
      maxUV = std::max(maxUV, b->Microvolts[i]);
      minUV = std::min(minUV, b->Microvolts[i]);
    }
  }
  if (!any) return;
  scale.MaxCode = maxCode;
  scale.MinCode = minCode;
  scale.MaxUV = maxUV;
  scale.MinUV = minUV;
  scale.CodeSpan = scale.PickCodeSpan(maxCode, minCode);
  scale.CodeBottom = scale.PickCodeBottom(scale.CodeSpan);
  scale.UVSpan = scale.PickUVSpan(minUV, maxUV);
  scale.UVBottom = scale.PickUVBottom(scale.UVSpan);
}

bool TGraph_2CH::TwoPanes() const {
  return PerChannel && Shown2[0] && Shown2[1] && HeldSamples(Ch0) >= 10 && HeldSamples(Ch1) >= 10;
}

void TGraph_2CH::ColourYLabels(int fromCh1) {
  // Labels 0 … fromCh1 - 1 read CH0's half, the rest CH1's; 11: all black.
  // The designed labels are left alone until colours were once needed.
  if (fromCh1 >= 11 && !LabelsColoured) return;
  LabelsColoured = fromCh1 < 11;
  for (int i = 0; i < 11; ++i) {
    QLabel* label = YLabels[static_cast<std::size_t>(i)];
    if (label == nullptr) continue;
    QPalette palette = LabelPalette;
    if (fromCh1 < 11) {
      palette.setColor(QPalette::WindowText,
                       QColor::fromRgb(i < fromCh1 ? kChannel0 : kChannel1).darker(120));
    }
    label->setPalette(palette);
  }
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

PixelView TGraph_2CH::View() {
  if (BitmapImage.isNull()) return {};
  return {reinterpret_cast<std::uint32_t*>(BitmapImage.bits()), BitmapImage.width(),
          BitmapImage.height(), BitmapImage.bytesPerLine() / 4};
}

void TGraph_2CH::DrawHorizontalGrid() { Plot.HorizontalGrid(View()); }

void TGraph_2CH::DrawVerticalGrid() { Plot.VerticalGrid(View()); }

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
    // A label too wide for its column moves left, off the plot, but stays
    // whole inside the window: a cut-off sign or digit would show another value.
    if (left + label->width() > boxLeft) left = boxLeft - label->width();
    left = std::max(0, left);
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
  if (SecondsAxis) {
    const auto texts = XAxisTexts(0, n - 1, SamplesPerSecond(Settings), true);
    SetXLabelTexts(texts.first, texts.second);
    return;
  }
  SetXLabelTexts("1", std::to_string(n));
}

SampleBuffer TGraph_2CH::VisibleSamples(int channel) const {
  const SampleBuffer& b = channel == 0 ? Ch0 : Ch1;
  const int held = HeldSamples(b);
  const auto first = static_cast<int>(std::min<std::int64_t>(ViewRange.First(), held));
  const auto last =
      static_cast<int>(std::min<std::int64_t>(ViewRange.First() + ViewRange.Span(), held - 1));
  SampleBuffer visible;
  visible.Count = std::max(0, last - first + 1);
  if (visible.Count > 0) {
    visible.Codes = b.Codes + first;
    visible.Microvolts = b.Microvolts != nullptr ? b.Microvolts + first : nullptr;
  }
  return visible;
}

bool TGraph_2CH::HoldsBothChannels() const {
  return HeldSamples(Ch0) >= 10 && HeldSamples(Ch1) >= 10;
}

std::optional<CursorReading> TGraph_2CH::ReadAt(double bitmapX) const {
  return ReadCursor(Ch0, Ch1, Settings, ViewRange.PositionAt(bitmapX, BmpWidth));
}

std::optional<CursorReading> TGraph_2CH::ReadSample(std::int64_t index) const {
  return ReadCursor(Ch0, Ch1, Settings, static_cast<double>(index));
}

double TGraph_2CH::ColumnOfSample(std::int64_t index) const {
  return ViewRange.ColumnOf(static_cast<double>(index), BmpWidth);
}

void TGraph_2CH::DrawZoomed(bool voltMode) {
  // A hidden channel is neither drawn nor part of the scaling.
  Visible0 = Shown2[0] ? VisibleSamples(0) : SampleBuffer{};
  Visible1 = Shown2[1] ? VisibleSamples(1) : SampleBuffer{};
  Shown0 = Shown2[0] ? Ch0 : SampleBuffer{};
  Shown1 = Shown2[1] ? Ch1 : SampleBuffer{};
  Ref0 = Shown2[0] ? RefHeld0 : SampleBuffer{};
  Ref1 = Shown2[1] ? RefHeld1 : SampleBuffer{};
  if (TwoPanes()) {
    DrawPanes(voltMode);
    return;
  }
  ColourYLabels(11);
  VisibleScale.ScaleAll();
  HoldReference(VisibleScale);
  LabelTexts labels;
  if (ViewRange.ManualY()) {
    // The chosen axis as it is: labels and traces on the same exact values.
    Shown = ViewRange.Values();
    labels = voltMode ? TAxisScale::VoltLabelsOf(static_cast<float>(Shown.span),
                                                 static_cast<float>(Shown.bottom))
                      : TAxisScale::CodeLabelsOf(Shown.bottom, Shown.span);
  } else {
    Shown = voltMode ? ValueAxis{VisibleScale.UVBottom, VisibleScale.UVSpan}
                     : ValueAxis{static_cast<double>(VisibleScale.CodeBottom),
                                 static_cast<double>(VisibleScale.CodeSpan)};
    labels = voltMode ? VisibleScale.VoltLabels() : VisibleScale.CodeLabels();
  }
  PlaceYLabels(labels, voltMode ? Column::Volt : Column::Code);
  DrawViewFrame();
  const PlotWindow window{ViewRange.First(), ViewRange.Span(), Shown.bottom, Shown.span};
  RefPlot.PlotWindowed(View(), voltMode, window);
  ShownPlot.PlotWindowed(View(), voltMode, window);
  CopyToPaintBox();
}

void TGraph_2CH::DrawViewFrame() {
  ClearBitmap();
  DrawHorizontalGrid();
  const auto texts =
      XAxisTexts(ViewRange.First(), ViewRange.Span(), SamplesPerSecond(Settings), SecondsAxis);
  SetXLabelTexts(texts.first, texts.second);
  DrawVerticalGrid();
}

void TGraph_2CH::DrawPanes(bool voltMode) {
  PaneScale0.ScaleAll();
  PaneScale1.ScaleAll();
  const auto axis = [voltMode](const TAxisScale& s) {
    return voltMode ? ValueAxis{s.UVBottom, s.UVSpan}
                    : ValueAxis{static_cast<double>(s.CodeBottom), static_cast<double>(s.CodeSpan)};
  };
  Shown = axis(PaneScale0);
  // Each half shows its channel's whole axis on five divisions: the labels
  // are every second one of that axis, the lower half's bottom included.
  const LabelTexts upper = voltMode ? PaneScale0.VoltLabels() : PaneScale0.CodeLabels();
  const LabelTexts lower = voltMode ? PaneScale1.VoltLabels() : PaneScale1.CodeLabels();
  LabelTexts labels;
  for (std::size_t i = 0; i < 5; ++i) labels[i] = upper[2 * i];
  for (std::size_t i = 0; i < 6; ++i) labels[5 + i] = lower[2 * i];
  PlaceYLabels(labels, voltMode ? Column::Volt : Column::Code);
  ColourYLabels(5);
  DrawViewFrame();
  PixelView whole = View();
  if (whole.bits != nullptr) {
    const int middle = static_cast<int>((whole.height - 1) * 0.5);
    PixelView top = whole;
    top.height = middle;
    PixelView bottom = whole;
    bottom.bits += static_cast<std::ptrdiff_t>(middle) * whole.stride;
    bottom.height = whole.height - middle;
    const ValueAxis a0 = axis(PaneScale0);
    const ValueAxis a1 = axis(PaneScale1);
    PanePlot0.PlotWindowed(top, voltMode,
                           {ViewRange.First(), ViewRange.Span(), a0.bottom, a0.span});
    PanePlot1.PlotWindowed(bottom, voltMode,
                           {ViewRange.First(), ViewRange.Span(), a1.bottom, a1.span});
  }
  CopyToPaintBox();
}

void TGraph_2CH::DrawEmpty(bool voltMode) {
  ColourYLabels(11);
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
  ColourYLabels(11);
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
  const int n1 = HeldSamples(Ch1);
  ViewRange.SetPositions(std::max(100, n1 != 0 ? n1 : HeldSamples(Ch0)));
  // Values chosen in one unit mean nothing in the other.
  if (voltMode != LastVoltMode) ViewRange.ResetValues();
  LastVoltMode = voltMode;
  if (voltMode) {
    ViewRange.SetValueLimits(Scale.MinUV, Scale.MaxUV);
  } else {
    ViewRange.SetValueLimits(Scale.MinCode, Scale.MaxCode);
  }
  const bool designed = Shown2[0] && Shown2[1] && !PerChannel && !HasReference();
  if ((ViewRange.Zoomed() || !designed) && !Scale.BothEmpty()) {
    DrawZoomed(voltMode);
    return;
  }
  ColourYLabels(11);
  Shown = voltMode ? ValueAxis{Scale.UVBottom, Scale.UVSpan}
                   : ValueAxis{static_cast<double>(Scale.CodeBottom),
                               static_cast<double>(Scale.CodeSpan)};
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
  Plot.PlotAll(View(), voltMode);
  CopyToPaintBox();
}

void TGraph_2CH::DrawBlock(bool voltMode, int first, int last) {
  first = ClampIndex(first);
  last = ClampIndex(last);
  ColourYLabels(11);
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
  Plot.PlotBlock(View(), voltMode, first, last);
  CopyToPaintBox();
}

}  // namespace velqoris
