// The main window on the libftdi backend, under the real libftdi1, on the chip
// model with the virtual board's firmware behind it: a fast two-channel run, a
// passing USB error and a pulled cable, as the user sees them.
#include <gtest/gtest.h>
#include <libusb.h>

#include <QComboBox>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Velqoris_application.h"
#include "app/Velqoris_main.h"
#include "board/Ad7190.h"
#include "board/Libftdi_device.h"
#include "message/Message_box.h"
#include "status/Mystatus.h"
#include "status/Status_text.h"
#include "tests/board/Chip_model.h"
#include "tests/board/Fifo_sides.h"
#include "tests/support/Fake_event_host.h"
#include "tests/support/Temp_files.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris {
namespace {

class ChipWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialogs::SetBoxHandler([this](const dialogs::BoxRequest& r) {
      boxes.push_back(r.text);
      return 0;
    });
    chip.SetSide(&side);
    chip.SetKernelDriver(true);
    FormOptions options;
    options.eventHost = &host;
    options.idleTimer = false;
    form = std::make_unique<TFormMain>(device, options);
    ASSERT_TRUE(form->Constructed());
    form->show();
    form->IdleHandler();
  }
  void TearDown() override {
    form.reset();
    dialogs::SetBoxHandler({});
  }

  // 4800 sps, 10000 samples, both channels, then the measure button; idle
  // passes until the run is over.
  bool FastRun() {
    form->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(12);
    form->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(6);
    form->findChild<QComboBox*>("ComboBox3")->setCurrentIndex(2);
    chip.Locked([&] { side.sent.clear(); });
    form->findChild<QPushButton*>("MeasureBtn")->click();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (form->Run()->IsMeasuring()) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      form->IdleHandler();
      std::this_thread::yield();
    }
    return true;
  }
  std::string Panel(int n) const { return form->Status()->PanelText(n).toStdString(); }
  // The codes of the run's 10000 frames, the last thing the board sent.
  std::vector<std::int32_t> Sent(int channel) {
    std::string sent;
    chip.Locked([&] { sent = side.sent; });
    std::vector<std::int32_t> codes;
    for (std::size_t at = sent.size() - std::min<std::size_t>(sent.size(), 130000);
         at + 13 <= sent.size(); at += 13)
      codes.push_back(HexToCode(sent.data() + at + 6 * static_cast<std::size_t>(channel)));
    return codes;
  }
  std::vector<std::int32_t> Shown(int channel) const {
    const std::int32_t* codes = form->Data().Codes(channel);
    return std::vector<std::int32_t>(codes, codes + 10000);
  }

  testing::ChipModel chip{0x6001};
  VirtualBoard board{chip.Time(), 3};
  testing::VirtualBoardSide side{board};
  ManualClock hostClock;
  testing::FakeEventHost host{hostClock, std::chrono::nanoseconds(1)};
  LibftdiDevice device;
  std::unique_ptr<TFormMain> form;
  std::vector<std::string> boxes;
};

TEST_F(ChipWindowTest, FastTwoChannelRunEndsWithEveryCodeRight) {
  ASSERT_TRUE(FastRun());
  EXPECT_EQ(Panel(1), kMeasureEndText);
  EXPECT_TRUE(Shown(0) == Sent(0));
  EXPECT_TRUE(Shown(1) == Sent(1));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ChipWindowTest, PassingErrorEndsTheRunAndTheNextStartWorks) {
  chip.FailIn(LIBUSB_ERROR_IO, 13 * 4000);
  ASSERT_TRUE(FastRun());
  EXPECT_EQ(Panel(2), kMeasureErrorText);
  ASSERT_TRUE(FastRun());
  EXPECT_EQ(Panel(1), kMeasureEndText);
  EXPECT_TRUE(Shown(0) == Sent(0));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ChipWindowTest, PulledCableEndsTheRunWithAMeasureError) {
  chip.FailIn(LIBUSB_ERROR_NO_DEVICE, 13 * 4000);
  ASSERT_TRUE(FastRun());
  EXPECT_EQ(Panel(2), kMeasureErrorText);
  EXPECT_TRUE(form->findChild<QPushButton*>("MeasureBtn")->isEnabled());
}

// データ → 連続表示 on the chip: the window reads without end at 4800 sps on
// both channels; stopped, the 10000 results on display are 10000 consecutive
// frames of those the board sent, both channels alike.
TEST_F(ChipWindowTest, LiveViewKeepsConsecutiveFramesOfTheBoard) {
  form->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(12);
  form->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(6);
  form->findChild<QComboBox*>("ComboBox3")->setCurrentIndex(2);
  chip.Locked([&] { side.sent.clear(); });
  form->LiveView1Click();
  ASSERT_TRUE(form->LiveRunning());
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  std::size_t sent = 0;
  while (sent < 13 * 30000 && std::chrono::steady_clock::now() < giveUp) {
    form->IdleHandler();
    std::this_thread::yield();
    chip.Locked([&] { sent = side.sent.size(); });
  }
  form->findChild<QPushButton*>("MeasureBtn")->click();
  ASSERT_FALSE(form->LiveRunning());
  ASSERT_EQ(form->Data().Ch0.Count, 10000);
  std::string frames;
  chip.Locked([&] { frames = side.sent; });
  // Frames are twelve hex digits and a CR; the replies to commands are not.
  std::vector<std::int32_t> all[2];
  for (std::size_t at = 0, end = 0; at < frames.size(); at = end + 1) {
    end = std::min(frames.find('\r', at), frames.size());
    if (end - at != 12) continue;
    for (int ch = 0; ch < 2; ++ch) {
      all[ch].push_back(HexToCode(frames.data() + at + 6 * static_cast<std::size_t>(ch)));
    }
  }
  const std::vector<std::int32_t> shown0 = Shown(0);
  const auto at = std::search(all[0].begin(), all[0].end(), shown0.begin(), shown0.end());
  ASSERT_NE(at, all[0].end());
  const auto first = at - all[0].begin();
  EXPECT_TRUE(Shown(1) ==
              std::vector<std::int32_t>(all[1].begin() + first, all[1].begin() + first + 10000));
  EXPECT_GT(first, 0);  // the window had come round
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace velqoris

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Runs that end keep a copy in the user's data folder: here a temporary one.
  velqoris::testing::TempDir data;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path("share")));
  ::testing::InitGoogleTest(&argc, argv);
  velqoris::VelqorisApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
