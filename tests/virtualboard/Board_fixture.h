// A virtual board on a manual clock, opened, with small helpers to talk to it
// through the raw device calls.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "board/Clock.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

using namespace std::chrono_literals;

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(board.FT_Open(0, &handle), d2xx::FT_OK); }

  void Write(const std::string& bytes) {
    d2xx::DWORD written = 0;
    ASSERT_EQ(
        board.FT_Write(handle, bytes.data(), static_cast<d2xx::DWORD>(bytes.size()), &written),
        d2xx::FT_OK);
    ASSERT_EQ(written, bytes.size());
  }
  void Send(const std::string& command) { Write(command + "\r"); }

  d2xx::DWORD Queued() {
    d2xx::DWORD n = 0;
    EXPECT_EQ(board.FT_GetQueueStatus(handle, &n), d2xx::FT_OK);
    return n;
  }
  // Everything the host can read now.
  std::string Drain() {
    std::string out;
    for (d2xx::DWORD n = Queued(); n > 0; n = Queued()) {
      std::vector<char> buffer(n);
      d2xx::DWORD got = 0;
      EXPECT_EQ(board.FT_Read(handle, buffer.data(), n, &got), d2xx::FT_OK);
      out.append(buffer.data(), got);
      if (got == 0) break;
    }
    return out;
  }
  // Sends a command and returns what has come back a little later.
  std::string Ask(const std::string& command) {
    Send(command);
    clock.Advance(2ms);
    return Drain();
  }
  // Runs that use this rate: word 1 = 4800 frames per second.
  void SetWord(int word) {
    char text[8];
    std::snprintf(text, sizeof text, "SF%04d", word);
    ASSERT_EQ(Ask(text), "OK\r");
  }

  ManualClock clock;
  VirtualBoard board{clock, 7};
  d2xx::FT_HANDLE handle = nullptr;
};

// The codes of a run's frames, checked for shape on the way.
inline std::vector<std::int32_t> Codes(const std::string& bytes, int perFrame) {
  const std::size_t size = perFrame == 2 ? 13 : 7;
  std::vector<std::int32_t> codes;
  EXPECT_EQ(bytes.size() % size, 0u);
  for (std::size_t at = 0; at + size <= bytes.size(); at += size) {
    EXPECT_EQ(bytes[at + size - 1], '\r') << "frame at " << at;
    for (int c = 0; c < perFrame; ++c) {
      codes.push_back(static_cast<std::int32_t>(
          std::stol(bytes.substr(at + static_cast<std::size_t>(c) * 6, 6), nullptr, 16)));
    }
  }
  return codes;
}

}  // namespace velqoris::testing
