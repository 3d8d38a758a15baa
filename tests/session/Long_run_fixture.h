// The tool's run parts on the virtual board and virtual time: a connected
// board, the settings of the run and an event host whose passes advance the
// clock, so a log of minutes takes no real time.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "board/Ad7190.h"
#include "board/Clock.h"
#include "session/Acquisition.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

class LongRunTest : public ::testing::Test {
 protected:
  void Connect(int spsSel, int chSel, int gainSel = 0) {
    settings.spsSel = spsSel;
    settings.CHSel = chSel;
    settings.GainSel = gainSel;
    settings.Gain = DerivedGain(gainSel);
    ASSERT_EQ(run.Connect(), std::nullopt);
  }

  ManualClock clock;
  VirtualBoard device{clock};
  // Each idle pass of the run is 1 ms of virtual time.
  FakeEventHost host{clock, std::chrono::milliseconds(1)};
  TADC board{device, host};
  MeasureSettings settings;
  Acquisition run{board, clock, host};
};

}  // namespace velqoris::testing
