// The live view's window of samples: the last N results in order however the
// blocks fall, the measured channels only, and a ring that comes round many
// times without growing.
#include "session/Live_window.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "session/Run_data.h"

namespace velqoris {
namespace {

struct WindowCase {
  int size;
  int block;
  int total;
  int chSel;
};

class LiveWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(LiveWindowTest, HoldsTheLastResultsOldestFirst) {
  const WindowCase c = GetParam();
  MeasureSettings s;
  s.CHSel = c.chSel;
  s.GainSel = 3;
  LiveWindow live;
  live.Reset(s, c.size);
  // Result i of the run is i on CH0 and -i on CH1.
  std::vector<std::int32_t> ch0(static_cast<std::size_t>(c.block));
  std::vector<std::int32_t> ch1(static_cast<std::size_t>(c.block));
  for (int sent = 0; sent < c.total;) {
    const int n = std::min(c.block, c.total - sent);
    for (int i = 0; i < n; ++i) {
      ch0[static_cast<std::size_t>(i)] = sent + i;
      ch1[static_cast<std::size_t>(i)] = -(sent + i);
    }
    live.Take(c.chSel != 1 ? ch0.data() : nullptr, c.chSel != 0 ? ch1.data() : nullptr, n);
    sent += n;
  }
  RunData data;
  live.CopyTo(data);
  const int held = std::min(c.size, c.total);
  EXPECT_EQ(live.Held(), held);
  EXPECT_EQ(live.FirstIndex(), c.total - held);
  EXPECT_EQ(data.Settings.Gain, 32);
  EXPECT_EQ(data.fCH0Data, c.chSel != 1);
  EXPECT_EQ(data.fCH1Data, c.chSel != 0);
  for (int ch = 0; ch < 2; ++ch) {
    const SampleBuffer& b = ch == 0 ? data.Ch0 : data.Ch1;
    const bool measured = ch == 0 ? c.chSel != 1 : c.chSel != 0;
    ASSERT_EQ(b.Count, measured ? held : 0);
    for (int i = 0; i < b.Count; ++i) {
      const int expected = c.total - held + i;
      ASSERT_EQ(b.Codes[i], ch == 0 ? expected : -expected) << ch << " " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, LiveWindowTest,
                         ::testing::Values(WindowCase{1000, 50, 600, 2},     // not full yet
                                           WindowCase{1000, 50, 1000, 2},    // exactly full
                                           WindowCase{1000, 50, 123457, 2},  // round many times
                                           WindowCase{100, 7, 1001, 0},  // blocks across the seam
                                           WindowCase{10000, 53, 250001, 1},  // CH1 alone
                                           WindowCase{5, 100, 317,
                                                      0}));  // blocks larger than the window

}  // namespace
}  // namespace velqoris
