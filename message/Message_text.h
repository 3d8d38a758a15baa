// The texts of the program's error boxes, as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "board/Ftd2xx_library.h"
#include "datafile/File_fault.h"
#include "records/Board_probe.h"

namespace velqoris {

std::string FatalMemoryMessage(std::string_view detail);  // prefix + detail, no separator
std::string BoardNotFoundMessage(std::string_view boardName);
std::string BoardNoResponseMessage(std::string_view boardName);

// Why no board was taken, from what the search found; "" when there was no
// search by serial number (the vendor library, the virtual board):
//   no chip:            "FTDI のチップが見つかりませんでした"
//   an unknown serial:  "シリアル番号 S のチップはありません (接続されているチップ: A, B)"
//   no board answered:  "VELQORIS として応答したチップはありません (応答しなかったチップ: A;
//                        他のプログラムが使用中のため調べなかったチップ: B)"
std::string BoardSearchMessage(const BoardProbe& probe);
// Several boards answered: "VELQORIS として応答したボード: A, B (A を使います。--device
// で選べます)";
// "" for one board or none.
std::string SeveralBoardsMessage(const BoardProbe& probe);
// Why no board could be found when FTDI's D2XX library did not load
// (missing, or without the functions the program calls); empty otherwise.
std::string DriverProblemText(Ftd2xxLibrary::LoadOutcome outcome);
// The same for this process on Windows, where that library is the board's
// only way in; always empty elsewhere (libftdi1 comes first there).
std::string DriverProblemNote();

inline constexpr std::string_view kSaveFailedMessage = "データ保存できませんでした";
inline constexpr std::string_view kBadDataFileMessage =
    "データファイルの内容が正しくありませんでした";
inline constexpr std::string_view kNoDataMessage = "データがありません";
inline constexpr std::string_view kFileNotFoundMessage = "ファイルが見つかりません";
inline constexpr std::string_view kFileNotReadMessage = "ファイルを読み込めませんでした";
inline constexpr std::string_view kNotRegularMessage = "通常のファイルではありません";
inline constexpr std::string_view kFolderMessage = "ファイルではなくフォルダです";

// The system's own text for an errno value (as the C library gives it).
std::string SystemReason(int error);
// What a failed load or save of `path` tells the user: the program's text,
// then the path where it helps, then the system's reason when there is one.
//   NotFound:    "ファイルが見つかりません: PATH"
//   NotReadable: "ファイルを読み込めませんでした: PATH: REASON"
//                (a folder: "ファイルではなくフォルダです: PATH")
//   NotRegular:  "通常のファイルではありません: PATH"
//   BadContents: "データファイルの内容が正しくありませんでした: PATH" and " (N 行目)"
//   NotWritten:  "データ保存できませんでした: REASON" (or the text alone; a
//                folder: "データ保存できませんでした: ファイルではなくフォルダです")
std::string FileFaultMessage(const FileFault& fault, std::string_view path);

// A run the window could not keep in the history: "履歴に保存できませんでした: REASON".
std::string HistoryNotKeptMessage(const FileFault& fault);

// A long run refused before it starts: "ディスクの空きが足りません: PATH (必要 約 N MB、空き M
// MB)".
std::string SpaceShortMessage(std::string_view path, std::uint64_t needed, std::uint64_t free);

// An output file of a command that was not written: "KIND ファイルに書き込めませんでした: PATH",
// then ": REASON" when the system gave one (a folder named as a folder).
std::string OutputNotWrittenMessage(std::string_view kind, std::string_view path, int error);

// Shown by the program entry when another copy is running.
inline constexpr std::string_view kAlreadyRunningMessage = "AD7190 はすでに起動しています";
inline constexpr std::string_view kAlreadyRunningCaption = "AD7190";

// The caption of a box: at most this many characters (not bytes).
inline constexpr std::size_t kCaptionMaxChars = 19;

// The first maxChars characters of a UTF-8 text; never splits a character.
std::string CutToChars(std::string_view text, std::size_t maxChars);

}  // namespace velqoris
