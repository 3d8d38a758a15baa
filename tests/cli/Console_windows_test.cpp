// A real Windows console behind the tool's output stream: Japanese text
// written a byte at a time reads back whole from the screen, the progress
// line's clearing blanks the rest of the line, the code page is left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "cli/Console_text.h"

namespace velqoris::cli {
namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    screen_ = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen_, INVALID_HANDLE_VALUE);
    // Wine makes a console only where it can open its window (scripts/windows
    // runs the tests on an X display of their own).
    DWORD mode = 0;
    if (!::GetConsoleMode(screen_, &mode)) GTEST_SKIP() << "no console without a display";
  }
  void TearDown() override {
    ::CloseHandle(screen_);
    ::FreeConsole();
  }

  // The characters of the cursor's line, from its start, trailing blanks cut.
  std::wstring CurrentLine(int lineOffset = 0) const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ::GetConsoleScreenBufferInfo(screen_, &info);
    std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD read = 0;
    const COORD start{0, static_cast<SHORT>(info.dwCursorPosition.Y + lineOffset)};
    ::ReadConsoleOutputCharacterW(screen_, line.data(), static_cast<DWORD>(line.size()), start,
                                  &read);
    line.resize(read);
    line.erase(line.find_last_not_of(L' ') + 1);
    return line;
  }

  HANDLE screen_ = INVALID_HANDLE_VALUE;
};

TEST_F(ConsoleTest, TextWrittenAByteAtATimeReadsBackWhole) {
  std::ostream out(nullptr);
  ASSERT_TRUE(WriteStreamToConsole(out, screen_));
  const std::string text = "CH0 : 最大値：8388610 ±2µV";
  for (const char c : text) out << c << std::flush;
  EXPECT_EQ(CurrentLine(), L"CH0 : 最大値：8388610 ±2µV");
  out << "\n" << std::flush;
  EXPECT_EQ(CurrentLine(-1), L"CH0 : 最大値：8388610 ±2µV");
}

TEST_F(ConsoleTest, TheProgressLineIsRedrawnInPlaceAndItsOldTailCleared) {
  std::ostream out(nullptr);
  ASSERT_TRUE(WriteStreamToConsole(out, screen_));
  out << "\r[####----] データ番号：123456 / AD変換値：8388608\x1b[K" << std::flush;
  out << "\r[#####---] データ番号：7\x1b[K" << std::flush;
  EXPECT_EQ(CurrentLine(), L"[#####---] データ番号：7");
}

TEST_F(ConsoleTest, ThePreparedConsoleKeepsItsCodePage) {
  ::SetConsoleOutputCP(932);  // a Japanese console
  const UINT before = ::GetConsoleOutputCP();
  PrepareConsole();
  EXPECT_EQ(::GetConsoleOutputCP(), before);
}

TEST(ConsoleStreamTest, AStreamThatIsNoConsoleIsLeftAsItIs) {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
  std::ostream out(nullptr);
  EXPECT_FALSE(WriteStreamToConsole(out, write));
  EXPECT_EQ(out.rdbuf(), nullptr);
  ::CloseHandle(read);
  ::CloseHandle(write);
}

}  // namespace
}  // namespace velqoris::cli
