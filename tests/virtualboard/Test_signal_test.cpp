// The virtual board's test signal: the option texts, the sine with its
// harmonics and mains pickup, and a streamed run read back through the
// spectrum with the figures the options set.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <variant>
#include <vector>

#include "analysis/Channel_analysis.h"
#include "tests/virtualboard/Board_fixture.h"
#include "virtualboard/Signal_options.h"

namespace velqoris::testing {
namespace {

TEST(SignalOptions, SineAndMainsTexts) {
  auto sine = ParseSineOption("1,100.5,0.25,-60,-70");
  ASSERT_TRUE(std::holds_alternative<SineOption>(sine));
  const SineOption s = std::get<SineOption>(sine);
  EXPECT_EQ(s.channel, 1);
  EXPECT_DOUBLE_EQ(s.frequencyHz, 100.5);
  EXPECT_DOUBLE_EQ(s.amplitudeVolts, 0.25);
  EXPECT_DOUBLE_EQ(s.harmonic2Dbc, -60.0);
  EXPECT_DOUBLE_EQ(s.harmonic3Dbc, -70.0);
  EXPECT_EQ(std::get<SineOption>(ParseSineOption("CH0,10,1")).channel, 0);
  EXPECT_EQ(std::get<SineOption>(ParseSineOption("0,10,1")).harmonic2Dbc, -200.0);

  auto mains = ParseMainsOption("0,60,0.001");
  ASSERT_TRUE(std::holds_alternative<MainsOption>(mains));
  EXPECT_DOUBLE_EQ(std::get<MainsOption>(mains).frequencyHz, 60.0);
  EXPECT_DOUBLE_EQ(std::get<MainsOption>(mains).amplitudeVolts, 0.001);
}

TEST(SignalOptions, BadTextsGiveAJapaneseReason) {
  for (const char* bad :
       {"", "1", "1,100", "2,100,1", "1,-5,1", "1,0,1", "1,100,-1", "1,100,6", "1,100,1,3",
        "1,100,1,-60,-70,-80", "1,abc,1", "1,100,1,nan", "1,inf,1", "1,100,1e400", "1, 100,1"}) {
    const auto r = ParseSineOption(bad);
    ASSERT_TRUE(std::holds_alternative<std::string>(r)) << bad;
    EXPECT_NE(std::get<std::string>(r).find("--sine"), std::string::npos) << bad;
  }
  for (const char* bad : {"1,55,0.1", "1,50", "3,50,0.1", "1,50,-0.1", "1,50,0.1,2"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseMainsOption(bad))) << bad;
  }
}

TEST(SignalOptions, SineReplacesTheInputAndMainsAddsToIt) {
  SignalModel model;
  ApplySignalOption(model, std::get<SineOption>(ParseSineOption("1,10,0.01,-20")));
  ApplySignalOption(model, std::get<MainsOption>(ParseMainsOption("1,50,0.001")));
  // At t = 1/40 s: sin(π/2) = 1, the 2nd sin(π) = 0, mains sin(2π·50/40) = sin(2.5π) = 1.
  EXPECT_NEAR(model.InputVolts(1, 1.0 / 40), 0.01 + 0.001, 1e-12);
  // At t = 1/80 s: sin(π/4), the 2nd (0.1 × 0.01) × sin(π/2), mains sin(1.25π).
  EXPECT_NEAR(
      model.InputVolts(1, 1.0 / 80),
      0.01 * std::sin(std::numbers::pi / 4) + 0.001 + 0.001 * std::sin(1.25 * std::numbers::pi),
      1e-12);
  EXPECT_EQ(model.Channel(1).offsetVolts, 0.0) << "the default 2 mV offset is gone";
  EXPECT_EQ(model.Channel(0).amplitudeVolts, 0.0) << "the other channel is untouched";
}

TEST(SignalOptions, OffStopsTheSlowSineAndKeepsTheOffset) {
  SignalModel model;
  const double offset = model.Channel(1).offsetVolts;
  ASSERT_NE(model.Channel(1).amplitudeVolts, 0.0) << "CH1 carries its slow sine by default";
  ApplySignalOption(model, std::get<SineOption>(ParseSineOption("1,off")));
  for (double t : {0.0, 1.3, 5.0, 12.7}) EXPECT_DOUBLE_EQ(model.InputVolts(1, t), offset) << t;
  for (const char* bad : {"1,of", "1,off,1", "2,off"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseSineOption(bad))) << bad;
  }
}

// The end-to-end demonstration: CH1 carries a sine with harmonics and 50 Hz
// pickup; 10000 frames at 4800 sps, gain 1, read back through the spectrum.
class StreamedTestSignal : public BoardTest {
 protected:
  // CH1's figures of 10000 frames at 4800 sps, gain 1.
  analysis::SpectrumFigures Figures() {
    SetWord(1);
    Ask("SG0");
    Send("A102710");
    std::vector<std::int32_t> codes;
    for (int step = 0; step < 100 && codes.size() < 10000; ++step) {
      clock.Advance(100ms);
      const auto got = Codes(Drain(), 1);
      codes.insert(codes.end(), got.begin(), got.end());
    }
    EXPECT_EQ(codes.size(), 10000u);
    MeasureSettings s;
    s.spsSel = 12;  // 4800 sps
    s.GainSel = 0;
    s.Gain = 1;
    return analysis::AnalyzeChannelSpectrum(codes.data(), static_cast<int>(codes.size()), s)
        .figures;
  }
};

TEST_F(StreamedTestSignal, SpectrumShowsToneHarmonicsAndMains) {
  // 100.32 Hz is bin 209 of 10000 at 4800 sps; 1.25 V is half the full scale.
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,100.32,1.25,-70,-80")));
  ApplySignalOption(board.Signal(), std::get<MainsOption>(ParseMainsOption("1,50,0.00025")));
  const auto f = Figures();
  ASSERT_TRUE(f.fundamental);
  EXPECT_NEAR(*f.fundamental->frequencyHz, 100.32, 0.01);
  EXPECT_NEAR(f.fundamental->dbfs, 20 * std::log10(1.25 / 2.5), 0.1);
  ASSERT_GE(f.harmonics.size(), 2u);
  EXPECT_NEAR(f.harmonics[0].dbfs - f.fundamental->dbfs, -70.0, 0.5);
  EXPECT_NEAR(f.harmonics[1].dbfs - f.fundamental->dbfs, -80.0, 1.0);
  EXPECT_NEAR(*f.thdDb, 10 * std::log10(1e-7 + 1e-8), 0.5);
  ASSERT_TRUE(f.Mains50Dbfs());
  EXPECT_NEAR(*f.Mains50Dbfs(), 20 * std::log10(0.00025 / 2.5), 0.2);
  // The floor is the converter's noise: 4800 sps, gain 1 is 1915.8 nV rms
  // over 2400 Hz, with the rounding's twelfth of a code² on top.
  const double nvPerCode = 2.5e9 / 8388607.0;
  const double rms = std::hypot(1915.8, nvPerCode * std::sqrt(1.0 / 12));
  EXPECT_NEAR(*f.noiseDensityNvRtHz / (rms * std::sqrt(2.0 / 4800)), 1.0, 0.05);
}

// A pure 1 kHz sine near full scale: sampled at instants rounded to the
// nanosecond it would carry phase-modulation lines 1600 Hz either side, some
// 30 dB over the noise. Exact instants leave nothing but the tone.
TEST_F(StreamedTestSignal, PureSineShowsNoLineButTheTone) {
  ApplySignalOption(board.Signal(), std::get<SineOption>(ParseSineOption("1,1000.3,2.2")));
  const auto f = Figures();
  ASSERT_TRUE(f.fundamental);
  EXPECT_FALSE(f.secondTone) << *f.secondTone->frequencyHz << " Hz";
  for (const auto& h : f.harmonics) EXPECT_FALSE(h.Dbfs()) << h.order;
  for (const auto* lines : {&f.mains50, &f.mains60}) {
    for (const auto& l : *lines) EXPECT_FALSE(l.Dbfs()) << l.order;
  }
  // The largest other line is a noise peak: at most ln(n/2) + 9 times the
  // noise power of one bin (2σ²/n) below the tone.
  EXPECT_GT(*f.sfdrDb, *f.snrDb + 10 * std::log10(5000.0 / (std::log(5000.0) + 9)));
}

}  // namespace
}  // namespace velqoris::testing
