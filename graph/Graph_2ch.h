// The main window's two-channel graph: channel 0 in red and channel 1 in blue
// against sample number, over a 10 x 10 grid, with eleven Y labels and two X
// labels that belong to the window. Every picture is composed in an
// off-screen bitmap and then handed to the paint box in one step. The graph
// reads the buffers and settings it was given; it never writes them.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "graph/Axis_scale.h"
#include "graph/Cursor_readout.h"
#include "graph/Paint_box.h"
#include "graph/Trace_plot.h"
#include "graph/View_range.h"
#include "records/Measure_settings.h"

namespace velqoris {

class TGraph_2CH {
 public:
  TGraph_2CH(TPaintBox& paintBox, SampleBuffer& ch0, SampleBuffer& ch1, MeasureSettings& settings,
             std::array<QLabel*, 11>& yLabels, std::array<QLabel*, 2>& xLabels);
  ~TGraph_2CH();
  TGraph_2CH(const TGraph_2CH&) = delete;
  TGraph_2CH& operator=(const TGraph_2CH&) = delete;

  void Resize();
  void DrawEmpty(bool voltMode);
  void DrawAxes(bool voltMode);
  void DrawAll(bool voltMode);
  void DrawBlock(bool voltMode, int first, int last);
  void Repaint();

  // The part of the data on display. While nothing is zoomed DrawAll draws
  // the designed picture; zoomed, it draws the visible positions on axes
  // picked for them (or the values the user chose). DrawAxes and DrawBlock,
  // the pictures of a run, always follow the data.
  TViewRange& Range() { return ViewRange; }
  const TViewRange& Range() const { return ViewRange; }
  // The value axis on screen after the last DrawAll (codes or microvolts).
  ValueAxis ShownValues() const { return Shown; }
  // Channels on screen (both by default) and one value axis per channel:
  // CH0 in the upper half, CH1 in the lower, each on its own scaling with
  // its labels in its colour. The designed picture is both channels on one axis.
  void SetChannelShown(int channel, bool shown);
  bool ChannelShown(int channel) const { return Shown2[channel == 0 ? 0 : 1]; }
  void SetPerChannelAxes(bool on) { PerChannel = on; }
  bool PerChannelAxes() const { return PerChannel; }
  // Both shown channels hold data and each has its own half.
  bool TwoPanes() const;
  // A reference run drawn behind the data in muted colours, sample for sample
  // (null: none); the value axis holds both. The buffers must outlive it.
  void SetReference(const SampleBuffer* ch0, const SampleBuffer* ch1);
  bool HasReference() const { return RefHeld0.Count > 0 || RefHeld1.Count > 0; }
  // X labels in seconds from the data rate instead of sample numbers.
  void SetSecondsAxis(bool seconds) { SecondsAxis = seconds; }
  bool SecondsAxisShown() const { return SecondsAxis; }
  // The held samples of a channel inside the visible positions (Count 0 when none).
  SampleBuffer VisibleSamples(int channel) const;
  // What the cursor reads at a bitmap column; nothing off the held samples.
  std::optional<CursorReading> ReadAt(double bitmapX) const;
  // The same at a (zero-based) sample index, and that sample's column.
  std::optional<CursorReading> ReadSample(std::int64_t index) const;
  double ColumnOfSample(std::int64_t index) const;
  bool HoldsData() const { return !Scale.BothEmpty(); }
  bool HoldsBothChannels() const;

  float CodeToMicrovolts(std::int32_t code) const { return Scale.CodeToMicrovolts(code); }
  std::int32_t MaxCodeCh0() { return Scale.MaxCodeCh0(); }
  std::int32_t MinCodeCh0() { return Scale.MinCodeCh0(); }
  std::int32_t MaxCodeCh1() { return Scale.MaxCodeCh1(); }
  std::int32_t MinCodeCh1() { return Scale.MinCodeCh1(); }
  float MaxMicrovoltsCh0() { return Scale.MaxMicrovoltsCh0(); }
  float MinMicrovoltsCh0() { return Scale.MinMicrovoltsCh0(); }
  float MaxMicrovoltsCh1() { return Scale.MaxMicrovoltsCh1(); }
  float MinMicrovoltsCh1() { return Scale.MinMicrovoltsCh1(); }

  const QImage& Bitmap() const { return BitmapImage; }
  const TAxisScale& Axis() const { return Scale; }

  // DrawAll runs this between grid and traces so that pending window events
  // are handled; it defaults to QCoreApplication::processEvents.
  void SetEventPump(std::function<void()> pump);

  static constexpr QRgb kBackground = 0xFFFFFFFF;
  static constexpr QRgb kGrid = 0xFF808080;
  static constexpr QRgb kChannel0 = 0xFFFF0000;
  static constexpr QRgb kChannel1 = 0xFF0000FF;
  static constexpr QRgb kReference0 = 0xFFF0B4B4;
  static constexpr QRgb kReference1 = 0xFFB4B4F0;

 private:
  enum class Column { Code, CodeBlock, Volt };

  void Layout();
  void ClearBitmap();
  void DrawHorizontalGrid();
  void DrawVerticalGrid();
  void CopyToPaintBox();
  PixelView View();

  void PlaceYLabels(const LabelTexts& texts, Column column);
  void SetCodeLabels();
  void SetVoltLabels();
  void SetXLabelTexts(const std::string& left, const std::string& right);
  void SetXLabels();
  void DrawZoomed(bool voltMode);
  void DrawPanes(bool voltMode);
  // Grid and X labels of the positions in view.
  void DrawViewFrame();
  void ColourYLabels(int fromCh1);
  // Widens a scaling so that it holds the reference's visible values too.
  void HoldReference(TAxisScale& scale) const;

  SampleBuffer& Ch0;
  SampleBuffer& Ch1;
  MeasureSettings& Settings;
  TPaintBox& PaintBox;
  QImage BitmapImage;
  QRect DestRect;
  QRect SrcRect;
  int BoxWidth = 0, BoxHeight = 0;
  int BmpWidth = 0, BmpHeight = 0;
  std::array<QLabel*, 11>& YLabels;
  std::array<QLabel*, 2>& XLabels;
  TAxisScale Scale;
  TTracePlot Plot;
  TViewRange ViewRange;
  // Visible samples, and the scaling of them alone for a zoomed view.
  SampleBuffer Visible0, Visible1;
  TAxisScale VisibleScale;
  // All held samples of the shown channels (a hidden one empty), drawn
  // through windows of them; one channel each for the two halves.
  SampleBuffer Shown0, Shown1, NoSamples;
  TTracePlot ShownPlot;
  TAxisScale PaneScale0, PaneScale1;
  TTracePlot PanePlot0, PanePlot1;
  // The reference: all its samples, and those of its shown channels.
  SampleBuffer RefHeld0, RefHeld1, Ref0, Ref1;
  TTracePlot RefPlot, RefPane0, RefPane1;
  bool Shown2[2] = {true, true};
  bool PerChannel = false;
  QPalette LabelPalette;
  bool LabelsColoured = false;
  ValueAxis Shown;
  bool SecondsAxis = false;
  bool LastVoltMode = false;
  std::function<void()> EventPump;
};

}  // namespace velqoris
