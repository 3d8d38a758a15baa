// The main window's two-channel graph: channel 0 in red and channel 1 in blue
// against sample number, over a 10 x 10 grid, with eleven Y labels and two X
// labels that belong to the window. Every picture is composed in an
// off-screen bitmap and then handed to the paint box in one step. The graph
// reads the buffers and settings it was given; it never writes them.
#pragma once

#include <QImage>
#include <QLabel>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>

#include "graph/Axis_scale.h"
#include "graph/Paint_box.h"
#include "graph/Trace_plot.h"
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
  std::function<void()> EventPump;
};

}  // namespace velqoris
