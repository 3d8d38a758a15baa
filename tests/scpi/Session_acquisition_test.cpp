// The session acquisition on the virtual board in real time: runs end with
// their data, an abort leaves the board idle, faults end as their outcome.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "board/Clock.h"
#include "scpi/Session_acquisition.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::scpi {
namespace {

class SessionAcquisitionTest : public ::testing::Test {
 protected:
  // The next end, waiting for the worker's notice at most 10 s.
  std::optional<RunEnd> WaitEnd() {
    std::unique_lock lock(mutex);
    notified.wait_for(lock, std::chrono::seconds(10), [&] { return notices > taken; });
    if (notices == taken) return std::nullopt;
    ++taken;
    return acquisition.TakeEnd();
  }
  static MeasureSettings Settings(int spsSel, int countSel, int chSel) {
    MeasureSettings s;
    s.spsSel = spsSel;
    s.DataCountSel = countSel;
    s.CHSel = chSel;
    return s;
  }

  SteadyClock clock;
  VirtualBoard board{clock};
  std::mutex mutex;
  std::condition_variable notified;
  int notices = 0;
  int taken = 0;
  SessionAcquisition acquisition{board, clock, "VIRTUAL", [this] {
                                   std::lock_guard lock(mutex);
                                   ++notices;
                                   notified.notify_all();
                                 }};
};

TEST_F(SessionAcquisitionTest, RunsWithTheGivenSettingsAndHoldsConvertedData) {
  ASSERT_EQ(acquisition.Connect(), std::nullopt);
  EXPECT_EQ(acquisition.Identity().name, "VELQORIS");
  acquisition.Start(Settings(12, 0, 2));  // 4800 sps, 100, both
  EXPECT_EQ(WaitEnd(), RunEnd::kComplete);
  const RunData& data = acquisition.Data();
  EXPECT_EQ(data.Ch0.Count, 100);
  EXPECT_EQ(data.Ch1.Count, 100);
  EXPECT_NE(data.Microvolts(0)[99], 0.0f);
  EXPECT_FALSE(board.Running());
}

TEST_F(SessionAcquisitionTest, AnAbortStopsTheBoardAndKeepsWhatCame) {
  acquisition.Start(Settings(6, 6, 0));  // 200 sps, 10000: 50 s
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  acquisition.Abort();
  EXPECT_EQ(WaitEnd(), RunEnd::kStopped);
  EXPECT_FALSE(board.Running());
  EXPECT_FALSE(board.IsOpen());
  EXPECT_GE(acquisition.Data().Ch0.Count, RunBuffer::kMinKept);
}

TEST_F(SessionAcquisitionTest, AMissingBoardEndsTheRunAsNoBoard) {
  board.Faults().openFails = true;
  acquisition.Start(Settings(12, 0, 0));
  EXPECT_EQ(WaitEnd(), RunEnd::kNoBoard);
  EXPECT_FALSE(acquisition.Data().HasData());
}

TEST_F(SessionAcquisitionTest, LogsIntoItsFileUntilStopped) {
  testing::TempDir dir;
  const std::string path = dir.Path("log.csv");
  ASSERT_TRUE(acquisition.StartLog(path, Settings(12, 0, 0), 2147483647));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(acquisition.Log().active);
  acquisition.Abort();
  EXPECT_EQ(WaitEnd(), RunEnd::kStopped);
  EXPECT_GT(acquisition.Log().written, 100);
  EXPECT_FALSE(board.Running());
  EXPECT_NE(testing::ReadFile(path).find("sample,time_s,ch0_code,ch0_uV"), std::string::npos);
  EXPECT_FALSE(acquisition.StartLog(dir.Path("no/such/folder.csv"), Settings(12, 0, 0), 10));
}

}  // namespace
}  // namespace velqoris::scpi
