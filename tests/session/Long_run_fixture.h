// The tool's run parts on the virtual board and virtual time: a connected
// board, the data of the run and an event host whose passes advance the
// clock, so a log of minutes takes no real time.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "session/Measurement.h"
#include "session/Held_data.h"
#include "board/Ad7190.h"
#include "board/Clock.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

class LongRunTest : public ::testing::Test {
 protected:
  void Connect(int spsSel, int chSel, int gainSel = 0) {
    MeasureSettings& s = held.data.Settings;
    s.spsSel = spsSel;
    s.CHSel = chSel;
    s.GainSel = gainSel;
    s.Gain = TADC::GainFactor(gainSel);
    ASSERT_EQ(run.ConnectBoard(), Measurement::ConnectResult::kOk);
  }

  ManualClock clock;
  VirtualBoard device{clock};
  // Each idle pass of the run is 1 ms of virtual time.
  FakeEventHost host{clock, std::chrono::milliseconds(1)};
  TADC board{device, host};
  cli::HeldData held;
  Measurement run{board, held.data, held.Converter()};
};

}  // namespace velqoris::testing
