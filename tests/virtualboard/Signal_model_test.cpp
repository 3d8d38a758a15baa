// The converter's transfer function, the noise model's anchor figures, and
// the measured noise of 10000 streamed samples against the model.
#include "virtualboard/Signal_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "tests/virtualboard/Board_fixture.h"

namespace velqoris::testing {
namespace {

ConverterSettings At(int word, int gainIndex, bool sinc4 = true, bool chop = false) {
  ConverterSettings s;
  s.filterWord = word;
  s.gainIndex = gainIndex;
  s.sinc4 = sinc4;
  s.chop = chop;
  return s;
}

TEST(SignalModel, CodesFollowTheBipolarTransferFunction) {
  EXPECT_EQ(SignalModel::CodeFor(0.0, 1), 8388608);
  EXPECT_EQ(SignalModel::CodeFor(2.5, 1), 16777215);
  EXPECT_EQ(SignalModel::CodeFor(-2.5, 1), 1);
  EXPECT_EQ(SignalModel::CodeFor(3.0, 1), 16777215);
  EXPECT_EQ(SignalModel::CodeFor(-3.0, 1), 0);
  EXPECT_EQ(SignalModel::CodeFor(1e-3, 128), 8388608 + 429497);
  EXPECT_EQ(SignalModel::CodeFor(-0.03, 128), 0);
  EXPECT_EQ(SignalModel::CodeFor(std::nan(""), 1), 0);
}

// The sincN filter computed independently: `order` moving averages, each over
// one output period, taken numerically from the pins' voltage.
double Averaged(const SignalModel& model, double t, int order, double rate) {
  constexpr int kSteps = 16;
  if (order == 0) return model.InputVolts(1, t);
  double sum = 0.0;
  for (int k = 0; k < kSteps; ++k)
    sum += Averaged(model, t - (k + 0.5) / (kSteps * rate), order - 1, rate);
  return sum / kSteps;
}

// Notches at the data rate and its multiples, droop in the band: 50 Hz pickup
// at 50 sps leaves nothing; a 10 Hz tone keeps sinc(0.2)^N of its amplitude.
TEST(SignalModel, SincFilterShapesEachToneAsTheConverterDoes) {
  struct Case {
    double toneHz, rate;
    int order;
    double gain;  // |sinc(f / rate)|^order, worked out by hand
  };
  const Case cases[] = {
      {50, 50, 4, 0.0},       {50, 50, 3, 0.0},       {100, 50, 3, 0.0},      {60, 60, 4, 0.0},
      {10, 50, 4, 0.7658704}, {10, 50, 3, 0.8186843}, {75, 50, 3, 0.0095560}, {1, 4800, 4, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.toneHz) + " Hz at " + std::to_string(c.rate));
    EXPECT_NEAR(std::abs(SignalModel::SincGain(c.toneHz, c.rate, c.order)), c.gain, 2e-5);
    SignalModel model;
    model.SetChannel(1, ChannelSignal{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, c.toneHz, 1.0});
    double peak = 0.0;
    for (int i = 0; i < 12; ++i) {
      const double t = 1.0 + i * 0.00731;
      const double out = model.FilteredVolts(1, t, c.order, c.rate);
      EXPECT_NEAR(out, Averaged(model, t, c.order, c.rate), 2e-3);
      peak = std::max(peak, std::abs(out));
    }
    EXPECT_LE(peak, c.gain + 2e-5);
  }
}

TEST(SignalModel, NoiseMatchesTheConvertersFigures) {
  const SignalModel model;
  EXPECT_NEAR(model.NoiseRmsVolts(At(1023, 5)), 8.5e-9, 0.1e-9);
  const auto bits = [&](const ConverterSettings& s) {
    return SignalModel::NoiseFreeBits(model.NoiseRmsVolts(s), s.Gain());
  };
  EXPECT_NEAR(bits(At(2, 5)), 16.0, 0.05);
  EXPECT_NEAR(bits(At(1023, 0)), 22.5, 0.05);
  // Roughly the square root of the rate once the floor is left behind.
  EXPECT_NEAR(model.NoiseRmsVolts(At(1, 5)) / model.NoiseRmsVolts(At(4, 5)), 2.0, 0.1);
  for (int word : {1, 2, 4, 5, 6, 12, 24, 48, 80, 96, 240, 480, 960}) {
    const double sinc4 = model.NoiseRmsVolts(At(word, 3));
    EXPECT_GT(model.NoiseRmsVolts(At(word, 3, false)), sinc4);
    EXPECT_LT(model.NoiseRmsVolts(At(word, 3, true, true)), sinc4);
    EXPECT_GT(model.NoiseRmsVolts(At(word, 2)), sinc4) << "lower gain, more input noise";
  }
  EXPECT_GT(model.NoiseRmsVolts(At(1, 3, false)) / model.NoiseRmsVolts(At(1, 3)), 1.15);
  EXPECT_LT(model.NoiseRmsVolts(At(960, 3, false)) / model.NoiseRmsVolts(At(960, 3)), 1.01);
}

TEST(SignalModel, SeedMakesNoiseReproducibleAndScaleZeroRemovesIt) {
  SignalModel a(5), b(5), c(6);
  const ConverterSettings s = At(1, 5);
  std::vector<std::int32_t> ca, cb, cc;
  for (int i = 0; i < 100; ++i) {
    ca.push_back(a.Convert(0, i * 1e-3, s));
    cb.push_back(b.Convert(0, i * 1e-3, s));
    cc.push_back(c.Convert(0, i * 1e-3, s));
  }
  EXPECT_EQ(ca, cb);
  EXPECT_NE(ca, cc);
  NoiseParameters quiet;
  quiet.scale = 0.0;
  a.SetNoise(quiet);
  a.SetChannel(0, ChannelSignal{1e-3, 0.0, 0.0, 0.0});
  for (int i = 0; i < 100; ++i) EXPECT_EQ(a.Convert(0, i * 1e-3, s), 8388608 + 429497);
}

TEST(SignalModel, DefaultCh1StaysInRangeAtTheHighestGain) {
  SignalModel model;
  const ConverterSettings s = At(1, 5);
  std::int32_t low = 16777215, high = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::int32_t code = model.Convert(1, i * 1e-3, s);
    low = std::min(low, code);
    high = std::max(high, code);
  }
  EXPECT_GT(low, 0);
  EXPECT_LT(high, 16777215);
  EXPECT_GT(high - low, 100000) << "a signal worth plotting";
}

struct NoisePoint {
  int word;
  int gainIndex;
  bool sinc4;
  bool chop;
};

class StreamedNoise : public BoardTest, public ::testing::WithParamInterface<NoisePoint> {};

// The shorted CH0 input streams nothing but offset and noise.
TEST_P(StreamedNoise, StandardDeviationOf10000SamplesIsTheModels) {
  const NoisePoint p = GetParam();
  SetWord(p.word);
  Ask("SG" + std::to_string(p.gainIndex));
  Ask(p.sinc4 ? "S4" : "S3");
  Ask(p.chop ? "SC1" : "SC0");
  Send("A002710");
  std::vector<std::int32_t> codes;
  for (int second = 0; second < 5000 && codes.size() < 10000; ++second) {
    clock.Advance(1s);
    const auto got = Codes(Drain(), 1);
    codes.insert(codes.end(), got.begin(), got.end());
  }
  ASSERT_EQ(codes.size(), 10000u);
  const double mean = std::accumulate(codes.begin(), codes.end(), 0.0) / codes.size();
  double sum = 0.0;
  for (std::int32_t c : codes) sum += (c - mean) * (c - mean);
  const double sd = std::sqrt(sum / codes.size());
  // Rounding to whole codes adds a twelfth of a code squared.
  const double model =
      std::hypot(board.Signal().NoiseRmsCodes(board.Settings()), std::sqrt(1.0 / 12));
  EXPECT_NEAR(sd, model, 0.1 * model);
  EXPECT_GT(model, 1.0) << "a point where the noise, not the rounding, is measured";
}

INSTANTIATE_TEST_SUITE_P(RateGainPoints, StreamedNoise,
                         ::testing::Values(NoisePoint{1023, 5, true, false},  // 4.7 sps, gain 128
                                           NoisePoint{2, 5, true, false},     // 2400 sps, gain 128
                                           NoisePoint{1, 0, true, false},     // 4800 sps, gain 1
                                           NoisePoint{4, 2, false, true},  // 1200 sps, Sinc3, chop
                                           NoisePoint{48, 3, true, false}));  // 100 sps, gain 32

}  // namespace
}  // namespace velqoris::testing
