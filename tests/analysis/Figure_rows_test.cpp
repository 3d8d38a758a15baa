// The Japanese rows: absent figures, the no-noise and over-range wordings.
#include "analysis/Figure_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "analysis/Stability_rows.h"
#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using analysis::FigureRow;

const FigureRow* Find(const std::vector<FigureRow>& rows, const std::string& label) {
  const auto it =
      std::find_if(rows.begin(), rows.end(), [&](const FigureRow& r) { return r.label == label; });
  return it == rows.end() ? nullptr : &*it;
}

TEST(FigureRows, NoNoiseReadsAtLeast24Bits) {
  const std::vector<std::int32_t> flat(100, 8388608);
  const auto rows =
      analysis::NoiseFigureRows(analysis::AnalyzeNoise(flat.data(), 100, SettingsAt(1, 0)));
  const FigureRow* r = Find(rows, "実効分解能 (RMS から)");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->value, "24 以上");
  EXPECT_EQ(r->unit, "ビット");
}

TEST(FigureRows, OverRangeIsSaidInsteadOfAResolution) {
  const std::vector<std::int32_t> codes = {16777215, 16777215, 16777200};
  const auto rows =
      analysis::NoiseFigureRows(analysis::AnalyzeNoise(codes.data(), 3, SettingsAt(1, 0)));
  EXPECT_NE(Find(rows, "入力範囲"), nullptr);
  EXPECT_EQ(Find(rows, "ノイズフリー分解能 (6.6 × RMS から)")->value, "入力範囲外");
}

TEST(FigureRows, FiguresAndAbsentOnes) {
  const std::vector<std::int32_t> codes = {8388606, 8388610};
  MeasureSettings s = SettingsAt(1, 0);
  s.GainSel = 9;
  const auto rows = analysis::NoiseFigureRows(analysis::AnalyzeNoise(codes.data(), 2, s));
  EXPECT_EQ(Find(rows, "データ数")->value, "2");
  EXPECT_EQ(Find(rows, "RMS ノイズ (入力換算)")->value, "—");
  EXPECT_EQ(Find(rows, "実効分解能 (RMS から)")->value, "23.00");
  const auto lines = analysis::RowLines(rows);
  ASSERT_EQ(lines.size(), rows.size());
  EXPECT_EQ(lines[0].rfind("データ数", 0), 0u);
}

TEST(FigureRows, SpectrumRowsNameTheWindowAndAMissingTone) {
  Synthetic synth;
  const auto noise = synth.Record(1000, {}, 10.0);
  const auto a = analysis::AnalyzeChannelSpectrum(noise.data(), 1000, SettingsAt(12, 0));
  const auto rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  EXPECT_EQ(Find(rows, "窓関数")->value, "ブラックマン・ハリス (4 項)");
  EXPECT_EQ(Find(rows, "基本波")->value, "検出されません (ノイズより大きな信号がありません)");
  EXPECT_EQ(Find(rows, "SNR")->value, "—");
  EXPECT_NE(Find(rows, "電源周波数 50 Hz"), nullptr);
  EXPECT_EQ(Find(rows, "平均ノイズ密度 (入力換算)")->unit, "nV/√Hz");
}

TEST(FigureRows, MainsLinesOnTheToneSaySoInsteadOfALevel) {
  Synthetic synth;
  // 100.1 Hz, -6 dBFS, at 4800 sps over 10000 samples: within a bin (0.48 Hz)
  // of the 100 Hz line; its 3rd harmonic within a bin of the 300 Hz line.
  const auto codes = synth.Record(
      10000,
      {{100.1 / 0.48, 8388607.0 / 2}, {300.3 / 0.48, 8388607.0 / 2e4}, {50.0 / 0.48, 8388.0}},
      20.0);
  const auto a = analysis::AnalyzeChannelSpectrum(codes.data(), 10000, SettingsAt(12, 0));
  const auto rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  const FigureRow* hundred = Find(rows, "電源周波数 100 Hz (50 Hz の 2 倍)");
  ASSERT_NE(hundred, nullptr);
  EXPECT_EQ(hundred->value, "— (基本波と重なります)");
  EXPECT_EQ(hundred->unit, "");
  const FigureRow* threeHundred = Find(rows, "電源周波数 300 Hz (60 Hz の 5 倍)");
  ASSERT_NE(threeHundred, nullptr);
  EXPECT_EQ(threeHundred->value, "— (第 3 高調波と重なります)");
  EXPECT_EQ(Find(rows, "電源周波数 50 Hz")->unit, "dBFS") << "50 Hz is a line of its own";
}

TEST(FigureRows, SpectrumRowsSayOverRangePickupAndNeighbouringLines) {
  Synthetic synth;
  auto codes = synth.Record(200, {{50.0 / 24, 8388.0}}, 20.0);  // 24 Hz bins
  auto a = analysis::AnalyzeChannelSpectrum(codes.data(), 200, SettingsAt(12, 0));
  auto rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  EXPECT_EQ(Find(rows, "基本波")->value, "検出されません (最大の信号は電源周波数のノイズです)");
  EXPECT_EQ(Find(rows, "電源周波数 60 Hz")->value, "— (50 Hz の線と重なります)");
  codes[3] = 16777215;
  a = analysis::AnalyzeChannelSpectrum(codes.data(), 200, SettingsAt(12, 0));
  rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  ASSERT_NE(Find(rows, "入力範囲"), nullptr);
  EXPECT_NE(Find(rows, "入力範囲")->value.find("入力が範囲外です"), std::string::npos);
  EXPECT_EQ(Find(rows, "SNR")->value, "—");
  // No power on the lines: "—", never a −300 placeholder.
  const std::vector<std::int32_t> flat(1000, 8388608);
  a = analysis::AnalyzeChannelSpectrum(flat.data(), 1000, SettingsAt(12, 0));
  rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  EXPECT_EQ(Find(rows, "電源周波数 50 Hz")->value, "—");
  // White noise: the 50 Hz line lies below a bound, no level.
  const auto noise = synth.Record(1000, {}, 20.0);
  a = analysis::AnalyzeChannelSpectrum(noise.data(), 1000, SettingsAt(12, 0));
  rows = analysis::SpectrumFigureRows(a.spectrum, a.figures);
  EXPECT_EQ(Find(rows, "電源周波数 50 Hz")->value.rfind("検出されません (< -", 0), 0u);
}

// The stability rows say what was left out and why, and give the Allan
// minimum with its (asymmetric) interval.
TEST(FigureRows, StabilityRowsSayWhatWasLeftOut) {
  Synthetic synth;
  auto codes = synth.Record(20000, {}, 30.0);
  codes[5] = 16777215;
  const auto a = analysis::AnalyzeStability(codes.data(), 20000, 100.0, 128, {}, 0);
  auto rows = analysis::StabilityFigureRows(a);
  ASSERT_TRUE(Find(rows, "入力範囲"));
  EXPECT_EQ(Find(rows, "入力範囲")->value, "1 点が範囲外のため、その点を除いて解析しました");
  const FigureRow* minimum = Find(rows, "アラン偏差の最小値 (1σ)");
  ASSERT_TRUE(minimum);
  EXPECT_NE(minimum->value.find(" (−"), std::string::npos) << minimum->value;
  EXPECT_NE(minimum->value.find(" / +"), std::string::npos) << minimum->value;
  EXPECT_EQ(Find(rows, "1/f コーナー周波数 (1σ)")->value, analysis::kNoCornerText);

  for (int i = 0; i < 20000; i += 50) codes[static_cast<std::size_t>(i)] = 0;
  const auto refused = analysis::AnalyzeStability(codes.data(), 20000, 100.0, 128, {}, 0);
  rows = analysis::StabilityFigureRows(refused);
  ASSERT_TRUE(Find(rows, "入力範囲"));
  EXPECT_EQ(Find(rows, "入力範囲")->value.rfind("入力範囲外: 401 点", 0), 0u);
  EXPECT_FALSE(Find(rows, "ドリフト")) << "no figure after the refusal";
}

}  // namespace
}  // namespace velqoris::testing
