// Every text of the status bar's three panels, built as UTF-8. Plain C++, so
// the exact bytes can be checked without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velqoris {

// Panel 0: the board.
std::string PairText(std::string_view first, std::string_view second);  // "a / b"
std::string BoardNotFoundText(std::string_view boardName);
std::string BoardNoResponseText(std::string_view boardName);
std::string BoardErrorText(std::string_view boardName);

// Panel 1: the run or the last file operation.
inline constexpr std::string_view kMeasuringText = "計測中です";
inline constexpr std::string_view kMeasureEndText = "計測終了しました";
inline constexpr std::string_view kMeasureStopText = "計測中止しました";
inline constexpr std::string_view kFileLoadedText = "データファイル読み込みました";
inline constexpr std::string_view kFileSavedText = "データファイルを保存しました";

// Panel 2: progress, notices and statistics.
inline constexpr std::string_view kStartingText = "測定開始処理中です。。。";
inline constexpr std::string_view kMeasureErrorText = "計測エラーで終了";
// A run or log whose board went away (a pulled cable): the stop could not go out.
inline constexpr std::string_view kBoardGoneText =
    "計測エラーで終了 (基板との接続が切れました: USB ケーブルを確認してください)";

std::string SampleText(std::int32_t n, std::int32_t code);
std::string Sample2Text(std::int32_t n, std::int32_t code0, std::int32_t code1);

// Statistics in codes: the deviation has one decimal from 10 up, else two.
// `decimals` >= 0 asks for fewer (a panel too narrow for the line).
std::string CodeStatsText(std::int32_t channel, std::int32_t max, std::int32_t min, float sd,
                          int decimals = -1);
// Statistics in microvolts: all four numbers share the decimals that sd picks
// (none from 100 up, one from 10 up, else two).
std::string VoltStatsText(std::int32_t channel, float max, float min, float sd, int decimals = -1);
// The decimals the two lines above pick by themselves.
int CodeStatsDecimals(float sd);
int VoltStatsDecimals(float sd);

}  // namespace velqoris
