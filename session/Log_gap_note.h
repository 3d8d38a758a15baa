// The note a log writes between two start commands.
#pragma once

#include <cstdio>
#include <string>

namespace velqoris {

inline std::string GapNote(int startCommand, double secondsLost) {
  char text[160];
  std::snprintf(
      text, sizeof text,
      "開始コマンド %d 回目: 前の区間の最後の変換から %.6f s の空き (この間の変換値はありません)",
      startCommand, secondsLost);
  return text;
}

}  // namespace velqoris
