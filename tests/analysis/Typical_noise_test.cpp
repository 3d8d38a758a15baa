// The typical noise at the published anchor points the model is fitted to,
// and for the settings of a run.
#include "analysis/Typical_noise.h"

#include <gtest/gtest.h>

#include "tests/analysis/Synthetic.h"

namespace velqoris::testing {
namespace {

using analysis::TypicalNoise;

NoiseConditions At(double rate, int gain, bool sinc4 = true, bool chop = false) {
  return NoiseConditions{rate, gain, sinc4, chop};
}

TEST(TypicalNoise, AnchorPoints) {
  const TypicalNoise model;
  EXPECT_NEAR(model.RmsNanovolts(At(4800.0 / 1023, 128)), 8.5, 0.1);
  EXPECT_NEAR(TypicalNoise::NoiseFreeBits(model.RmsNanovolts(At(2400, 128)), 128), 16.0, 0.05);
  EXPECT_NEAR(TypicalNoise::NoiseFreeBits(model.RmsNanovolts(At(4800.0 / 1023, 1)), 1), 22.5, 0.05);
}

TEST(TypicalNoise, TableFigures) {
  const TypicalNoise model;
  EXPECT_NEAR(model.RmsNanovolts(At(50, 1)), 225.5, 0.1);
  EXPECT_NEAR(model.RmsNanovolts(At(400, 8)), 79.5, 0.1);
  EXPECT_NEAR(model.RmsNanovolts(At(1200, 32)), 70.4, 0.1);
  EXPECT_NEAR(model.RmsNanovolts(At(4800, 128)), 127.5, 0.1);
  EXPECT_NEAR(model.RmsCodes(At(100, 128)), 8.5, 0.05);
  EXPECT_NEAR(model.RmsCodes(At(2400, 128)), 38.8, 0.05);
  // Sinc3 is 23 % noisier at 4800 sps, chopping 10 % quieter.
  EXPECT_NEAR(model.RmsNanovolts(At(4800, 128, false)) / model.RmsNanovolts(At(4800, 128)), 1.235,
              0.01);
  EXPECT_NEAR(model.RmsNanovolts(At(100, 128, true, true)) / model.RmsNanovolts(At(100, 128)), 0.9,
              1e-12);
}

TEST(TypicalNoise, RunSettingsUseTheirListsAndNothingOutside) {
  MeasureSettings s = SettingsAt(5, 5);  // 100 sps, gain 128
  EXPECT_NEAR(*analysis::TypicalRmsNanovolts(s), 19.8, 0.1);
  s.fSinc4 = 0;
  EXPECT_GT(*analysis::TypicalRmsNanovolts(s), 19.8 * 1.05);
  s.spsSel = 13;
  EXPECT_FALSE(analysis::TypicalRmsNanovolts(s));
  s = SettingsAt(5, 5);
  s.GainSel = -1;
  EXPECT_FALSE(analysis::TypicalRmsNanovolts(s));
  EXPECT_EQ(TypicalNoise().RmsNanovolts(At(0, 1)), 0.0);
  EXPECT_EQ(TypicalNoise().RmsNanovolts(At(10, 0)), 0.0);
}

}  // namespace
}  // namespace velqoris::testing
