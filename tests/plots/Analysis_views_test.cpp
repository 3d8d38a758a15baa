// The analysis window's pieces on their own: plot ticks, the histogram and
// spectrum drawings.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "plots/Histogram_view.h"
#include "plots/Plot_ticks.h"
#include "plots/Spectrum_view.h"

namespace velqoris {
namespace {

TEST(PlotTicksTest, LinearTicksStepOneTwoFiveAndCarryTheirDecimals) {
  const Ticks t = LinearTicks(0, 97, 6);
  EXPECT_EQ(t.values, (std::vector<double>{0, 20, 40, 60, 80}));
  EXPECT_EQ(t.decimals, 0);
  const Ticks small = LinearTicks(-0.13, 0.12, 6);
  EXPECT_EQ(small.decimals, 2);
  ASSERT_FALSE(small.values.empty());
  EXPECT_NEAR(small.values.front(), -0.1, 1e-12);
  EXPECT_EQ(TickText(small.values[2], small.decimals), "0.00");  // no "-0.00"
  // Codes near mid-scale keep whole numbers.
  const Ticks codes = LinearTicks(8388590.5, 8388630.5, 5);
  EXPECT_EQ(codes.values, (std::vector<double>{8388600, 8388610, 8388620, 8388630}));
  EXPECT_EQ(LinearTicks(5, 5, 4).values, std::vector<double>{5});
  EXPECT_TRUE(LinearTicks(NAN, 1, 4).values.empty());
}

TEST(PlotTicksTest, LogTicksMarkDecadesAndOnlyAddTwoAndFiveWhenThereIsRoom) {
  EXPECT_EQ(LogTicks(0.2, 400, 4).values, (std::vector<double>{1, 10, 100}));
  const Ticks dense = LogTicks(0.2, 400, 12);
  EXPECT_EQ(dense.values, (std::vector<double>{0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200}));
  EXPECT_EQ(dense.decimals, 1);
  EXPECT_TRUE(LogTicks(0, 10, 4).values.empty());
  // Many decades are thinned, never crowded.
  EXPECT_LE(LogTicks(1e-3, 1e9, 4).values.size(), 4u);
}

TEST(PlotTicksTest, TickTextsStayInsideAndApart) {
  // "-1000000" … "1000000" over 300 pixels, the end ones at the plot's edges.
  const std::vector<double> centres = {40, 115, 190, 265, 340};
  const std::vector<double> widths = {56, 49, 7, 42, 49};
  EXPECT_EQ(TextsThatFit(centres, widths, 36, 360, 10),
            (std::vector<bool>{false, true, true, true, false}));
  // Crowded texts: every other one.
  EXPECT_EQ(TextsThatFit({10, 30, 50, 70}, {30, 30, 30, 30}, 0, 100, 4),
            (std::vector<bool>{false, true, false, true}));
  EXPECT_TRUE(TextsThatFit({}, {}, 0, 100, 4).empty());
}

int CountNear(const QImage& image, QColor colour, int tolerance) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      n += std::abs(c.red() - colour.red()) <= tolerance &&
                   std::abs(c.green() - colour.green()) <= tolerance &&
                   std::abs(c.blue() - colour.blue()) <= tolerance
               ? 1
               : 0;
    }
  }
  return n;
}

std::vector<std::int32_t> Gaussianish(int n) {
  // A deterministic spread around mid-scale: a sum of three uniform steps.
  std::vector<std::int32_t> codes;
  for (int i = 0; i < n; ++i) {
    codes.push_back(kMidScaleCode + (i * 7919) % 11 + (i * 104729) % 7 + (i * 1299709) % 5 - 8);
  }
  return codes;
}

TEST(HistogramViewTest, DrawsBarsAndTheNormalCurveAndSaysSoWithoutData) {
  HistogramView view;
  view.resize(400, 260);
  const QImage empty = view.grab().toImage();
  EXPECT_EQ(CountNear(empty, QColor(150, 180, 220), 0), 0);

  const auto codes = Gaussianish(1000);
  MeasureSettings s;
  const auto noise = analysis::AnalyzeChannelNoise(codes.data(), 1000, s);
  view.SetHistogram(noise.histogram, 2500000.0 / 8388607.0, false);
  const QImage drawn = view.grab().toImage();
  EXPECT_GT(CountNear(drawn, QColor(150, 180, 220), 0), 2000);  // bars
  EXPECT_GT(CountNear(drawn, QColor(220, 0, 0), 60), 100);      // curve
  EXPECT_FALSE(view.AxisInMicrovolts());

  // Microvolts only with a conversion to go by.
  view.SetHistogram(noise.histogram, std::nullopt, true);
  EXPECT_FALSE(view.AxisInMicrovolts());
  view.SetHistogram(noise.histogram, 0.298, true);
  EXPECT_TRUE(view.AxisInMicrovolts());
}

TEST(HistogramViewTest, MicrovoltTickTextsAndTheLegendStayInsideTheWidget) {
  // A full-scale sine at gain 1 reads about ±1000000 uV.
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 10000; ++i) {
    codes.push_back(kMidScaleCode + static_cast<std::int32_t>(
                                        std::lround(3.355e6 * std::sin(2 * M_PI * i / 48.0))));
  }
  MeasureSettings s;
  const auto noise = analysis::AnalyzeChannelNoise(codes.data(), 10000, s);
  HistogramView view;
  for (const int width : {300, 420, 600}) {
    view.resize(width, 260);
    view.SetHistogram(noise.histogram, 2.5e6 / 8388607.0, true);
    const QImage image = view.grab().toImage();
    for (const int x : {0, 1, width - 2, width - 1}) {
      EXPECT_EQ(CountNear(image.copy(x, 0, 1, 260), QColor(0, 0, 0), 120), 0)
          << width << " x " << x;
    }
  }
}

TEST(SpectrumViewTest, DrawsATraceInEveryScaleAndAxisAndSurvivesAMissingRate) {
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 1000; ++i) {
    codes.push_back(kMidScaleCode +
                    static_cast<std::int32_t>(
                        std::lround(1e6 * std::sin(2 * M_PI * 50 * i / 1000.0)) + (i * 7919) % 13));
  }
  MeasureSettings s;
  s.spsSel = 8;  // 800 sps
  const auto a = analysis::AnalyzeChannelSpectrum(codes.data(), 1000, s);
  SpectrumView view;
  view.resize(400, 260);
  view.SetSpectrum(a.spectrum, a.figures);
  for (const auto scale : {SpectrumScale::kDbfs, SpectrumScale::kDensity}) {
    for (const bool log : {false, true}) {
      view.SetScale(scale);
      view.SetLogFrequency(log);
      EXPECT_GT(CountNear(view.grab().toImage(), QColor(0, 70, 170), 40), 200) << log;
    }
  }
  // A rate index naming no rate: dBFS over bin numbers, no density.
  s.spsSel = 99;
  const auto b = analysis::AnalyzeChannelSpectrum(codes.data(), 1000, s);
  view.SetSpectrum(b.spectrum, b.figures);
  view.SetScale(SpectrumScale::kDbfs);
  EXPECT_EQ(view.AxisTitle(), QString::fromUtf8("ビン番号"));
  EXPECT_GT(CountNear(view.grab().toImage(), QColor(0, 70, 170), 40), 200);
  view.SetScale(SpectrumScale::kDensity);
  EXPECT_EQ(CountNear(view.grab().toImage(), QColor(0, 70, 170), 40), 0);
}

// A 100 Hz tone at 4800 sps over 10000 samples, its harmonics at -60 and
// -70 dBc, and 50 Hz pickup at -60 dBFS: the tester's picture.
analysis::SpectrumAnalysis ToneWithPickup(double toneHz) {
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 10000; ++i) {
    const double t = i / 4800.0;
    const double v =
        4e6 * (std::sin(2 * M_PI * toneHz * t) + 1e-3 * std::sin(4 * M_PI * toneHz * t) +
               3.16e-4 * std::sin(6 * M_PI * toneHz * t)) +
        4e3 * std::sin(2 * M_PI * 50 * t) + (i * 7919) % 13;
    codes.push_back(kMidScaleCode + static_cast<std::int32_t>(std::lround(v)));
  }
  MeasureSettings s;
  s.spsSel = 12;
  return analysis::AnalyzeChannelSpectrum(codes.data(), 10000, s);
}

int Green(SpectrumView& view, const analysis::Spectrum& spectrum,
          const analysis::SpectrumFigures& f) {
  view.SetSpectrum(spectrum, f);
  return CountNear(view.grab().toImage(), QColor(0, 140, 0), 0);
}

TEST(SpectrumViewTest, AMainsLineOnTheToneGetsNoMarkOfItsOwn) {
  SpectrumView view;
  view.resize(600, 300);
  // 100.3 Hz lies on the 100 Hz line's bins: the line has no level.
  const auto a = ToneWithPickup(100.3);
  ASSERT_GE(a.figures.mains50.size(), 2u);
  ASSERT_EQ(a.figures.mains50[1].coincidesWith, 1);
  analysis::SpectrumFigures without = a.figures;
  without.mains50.erase(without.mains50.begin() + 1);
  EXPECT_EQ(Green(view, a.spectrum, without), Green(view, a.spectrum, a.figures));
  // Exactly on 100, 200 and 300 Hz the lines keep a level (the tone's), yet
  // a green mark there would cover the red one.
  const auto b = ToneWithPickup(100.0);
  analysis::SpectrumFigures onTones = b.figures;
  for (auto* lines : {&onTones.mains50, &onTones.mains60}) {
    std::erase_if(*lines, [](const analysis::SpectrumLine& l) {
      return l.frequencyHz && std::fmod(*l.frequencyHz, 100.0) != 0.0;
    });
  }
  ASSERT_GE(onTones.mains50.size(), 3u);
  analysis::SpectrumFigures none = b.figures;
  none.mains50.clear();
  none.mains60.clear();
  EXPECT_EQ(Green(view, b.spectrum, onTones), Green(view, b.spectrum, none));
  // 50 Hz itself is marked.
  EXPECT_GT(Green(view, b.spectrum, b.figures), Green(view, b.spectrum, none));
}

TEST(SpectrumViewTest, ALineInBothMainsSeriesIsMarkedOnce) {
  // 300 Hz is the 6th of 50 Hz and the 5th of 60 Hz: with the tone's marks
  // gone (and the lines taken as pickup), the strong 300 Hz bin stands for both.
  const auto a = ToneWithPickup(100.0);
  const auto asPickup = [](analysis::SpectrumLine l) {
    l.coincidesWith = 0;
    l.inLeakage = false;
    return l;
  };
  analysis::SpectrumFigures f;
  for (const auto& l : a.figures.mains50)
    if (l.order == 6) f.mains50.push_back(asPickup(l));
  analysis::SpectrumFigures both = f;
  for (const auto& l : a.figures.mains60)
    if (l.order == 5) both.mains60.push_back(asPickup(l));
  ASSERT_EQ(both.mains50.size(), 1u);
  ASSERT_EQ(both.mains60.size(), 1u);
  ASSERT_EQ(both.mains50[0].bin, both.mains60[0].bin);
  SpectrumView view;
  view.resize(600, 300);
  const int one = Green(view, a.spectrum, f);
  analysis::SpectrumFigures nothing;
  EXPECT_GT(one, Green(view, a.spectrum, nothing));
  EXPECT_EQ(Green(view, a.spectrum, both), one);
}

TEST(SpectrumViewTest, MarkTextsStayNextToTheirMarks) {
  // The highest green mark is 50 Hz near -60 dBFS: no green text may float
  // up towards 0 dBFS, where the old drawing pushed the crowded ones.
  const auto a = ToneWithPickup(100.0);
  SpectrumView view;
  view.resize(420, 260);
  view.SetSpectrum(a.spectrum, a.figures);
  const QImage image = view.grab().toImage();
  const int lineH = QFontMetrics(view.font()).height();
  const int top = lineH + 8;
  const int bottom = view.height() - 2 * lineH - 10;
  const auto y = [&](double dbfs) { return bottom - (dbfs + 200.0) / 200.0 * (bottom - top); };
  double highest = -300;
  for (const auto* lines : {&a.figures.mains50, &a.figures.mains60}) {
    for (const auto& l : *lines) {
      if (l.frequencyHz && std::fmod(*l.frequencyHz, 100.0) != 0.0)
        highest = std::max(highest, a.spectrum.dbfs[l.bin]);
    }
  }
  ASSERT_GT(highest, -80);
  const QImage band =
      image.copy(0, top + 1, image.width(), static_cast<int>(y(highest)) - 10 - lineH - 8 - top);
  EXPECT_EQ(CountNear(band, QColor(0, 140, 0), 0), 0);
}

}  // namespace
}  // namespace velqoris
