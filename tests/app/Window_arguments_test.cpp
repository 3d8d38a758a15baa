// velqoris --device SERIAL: the arguments, and a lock per board, so two
// windows run on two boards while a second window on one board does not.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/Single_instance.h"
#include "app/Window_arguments.h"

namespace velqoris {
namespace {

TEST(WindowArgumentsTest, OneDeviceInEitherSpellingAndOneDataFileElseAnError) {
  const struct {
    std::vector<std::string> args;
    std::string device;  // "!" an error
    std::optional<std::string> file;
  } cases[] = {
      {{}, "", {}},
      {{"--device", "FT01"}, "FT01", {}},
      {{"--device=FT02"}, "FT02", {}},
      {{"--device"}, "!", {}},
      {{"--device="}, "!", {}},
      {{"--device", "A", "--device", "B"}, "!", {}},
      {{"--virtual"}, "!", {}},
      {{"-style"}, "!", {}},
      // A double-clicked file arrives as the one argument, whatever its name.
      {{"C:\\データ\\run1.DTA"}, "", "C:\\データ\\run1.DTA"},
      {{"FT01"}, "", "FT01"},
      {{"--device", "FT01", "run 1.DTA"}, "FT01", "run 1.DTA"},
      {{"a.DTA", "b.DTA"}, "!", {}},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseWindowArguments(c.args);
    if (c.device == "!") {
      EXPECT_TRUE(std::holds_alternative<std::string>(parsed)) << c.args.size();
    } else {
      ASSERT_TRUE(std::holds_alternative<WindowArguments>(parsed)) << c.device;
      EXPECT_EQ(std::get<WindowArguments>(parsed).device, c.device);
      EXPECT_EQ(std::get<WindowArguments>(parsed).file, c.file);
    }
  }
}

#ifndef _WIN32
TEST(WindowArgumentsTest, EachBoardHasALockOfItsOwn) {
  QTemporaryDir dir;
  const auto lock = [&](const std::string& device) {
    return QString::fromStdString(InstanceName("AD7190", WindowArguments{device, {}}));
  };
  SingleInstance one(lock("FT01"), dir.path());
  SingleInstance two(lock("FT02"), dir.path());
  SingleInstance again(lock("FT01"), dir.path());
  SingleInstance plain(lock(""), dir.path());
  EXPECT_TRUE(one.Acquire());
  EXPECT_TRUE(two.Acquire());
  EXPECT_FALSE(again.Acquire());
  EXPECT_TRUE(plain.Acquire());
}
#endif

}  // namespace
}  // namespace velqoris
