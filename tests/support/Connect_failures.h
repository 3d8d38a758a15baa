// The ways a connection fails, one table for every front end: the acquisition,
// the window and the command-line tool each go through all of them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/Run_end.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

struct ConnectFailure {
  const char* name;
  void (*apply)(VirtualBoard& board);
  RunEnd result;
  const char* boxText;   // the window's box and the tool's first line
  const char* cliFault;  // the tool's --virtual-fault for it, or nullptr
  const char* cliHint;
};

// Where the tool tells a user to look when no board was found.
#ifdef _WIN32
inline constexpr const char* kNoDeviceHint = "D2XX ドライバ";
#else
inline constexpr const char* kNoDeviceHint = "udev ルール";
#endif

inline const std::vector<ConnectFailure>& ConnectFailures() {
  static const std::vector<ConnectFailure> cases = {
      {"NoDevice", [](VirtualBoard& b) { b.Faults().openFails = true; }, RunEnd::kNoBoard,
       "VELQORIS が見つかりませんでした", "open", kNoDeviceHint},
      {"SilentCheck", [](VirtualBoard& b) { b.Faults().silentCommands = {"?"}; }, RunEnd::kNoAnswer,
       "VELQORIS が応答しませんでした", "silent", "他のプログラム"},
      {"SilentName", [](VirtualBoard& b) { b.Faults().silentCommands = {"U?"}; }, RunEnd::kNoAnswer,
       "VELQORIS が応答しませんでした", nullptr, nullptr},
      {"SilentVersion", [](VirtualBoard& b) { b.Faults().silentCommands = {"V?"}; },
       RunEnd::kNoAnswer, "VELQORIS が応答しませんでした", nullptr, nullptr},
      {"NoVersion", [](VirtualBoard& b) { b.Faults().versionFails = true; }, RunEnd::kNoAnswer,
       "VELQORIS が応答しませんでした", nullptr, nullptr},
      {"OtherName", [](VirtualBoard& b) { b.SetBoardName("OTHER"); }, RunEnd::kOtherBoard,
       "VELQORIS が見つかりませんでした", "name", "VELQORIS ボードか"},
      // The comparison is case-sensitive.
      {"LowerCaseName", [](VirtualBoard& b) { b.SetBoardName("velqoris"); }, RunEnd::kOtherBoard,
       "VELQORIS が見つかりませんでした", nullptr, nullptr},
  };
  return cases;
}

inline std::string ConnectFailureName(const ::testing::TestParamInfo<ConnectFailure>& info) {
  return info.param.name;
}

}  // namespace velqoris::testing
