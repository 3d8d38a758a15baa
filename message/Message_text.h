// The texts of the program's error boxes, as UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "board/Ftd2xx_library.h"
#include "datafile/File_fault.h"

namespace velqoris {

std::string FatalMemoryMessage(std::string_view detail);  // prefix + detail, no separator
std::string BoardNotFoundMessage(std::string_view boardName);
std::string BoardNoResponseMessage(std::string_view boardName);

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

// The system's own text for an errno value (as the C library gives it).
std::string SystemReason(int error);
// What a failed load or save of `path` tells the user: the program's text,
// then the path where it helps, then the system's reason when there is one.
//   NotFound:    "ファイルが見つかりません: PATH"
//   NotReadable: "ファイルを読み込めませんでした: PATH: REASON"
//   BadContents: "データファイルの内容が正しくありませんでした"
//   NotWritten:  "データ保存できませんでした: REASON" (or the text alone)
std::string FileFaultMessage(const FileFault& fault, std::string_view path);

// Shown by the program entry when another copy is running.
inline constexpr std::string_view kAlreadyRunningMessage = "AD7190 はすでに起動しています";
inline constexpr std::string_view kAlreadyRunningCaption = "AD7190";

// The caption of a box: at most this many characters (not bytes).
inline constexpr std::size_t kCaptionMaxChars = 19;

// The first maxChars characters of a UTF-8 text; never splits a character.
std::string CutToChars(std::string_view text, std::size_t maxChars);

}  // namespace velqoris
