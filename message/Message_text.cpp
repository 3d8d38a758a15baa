#include "message/Message_text.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace velqoris {

namespace {

std::string Join(std::string_view a, std::string_view b) {
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a);
  s.append(b);
  return s;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string FatalMemoryMessage(std::string_view detail) {
  return Join("致命的なメモリエラーです:", detail);
}

std::string BoardNotFoundMessage(std::string_view boardName) {
  return Join(boardName, " が見つかりませんでした");
}

std::string BoardNoResponseMessage(std::string_view boardName) {
  return Join(boardName, " が応答しませんでした");
}

namespace {

std::string Serials(const std::vector<std::string>& serials) {
  std::string text;
  for (const std::string& s : serials) {
    if (!text.empty()) text += ", ";
    text += s.empty() ? "(番号なし)" : s;
  }
  return text;
}

}  // namespace

std::string BoardSearchMessage(const BoardProbe& probe) {
  if (!probe.done) return {};
  if (probe.chips.empty()) return "FTDI のチップが見つかりませんでした";
  if (!probe.asked.empty() &&
      std::find(probe.chips.begin(), probe.chips.end(), probe.asked) == probe.chips.end()) {
    return "シリアル番号 " + probe.asked +
           " のチップはありません (接続されているチップ: " + Serials(probe.chips) + ")";
  }
  if (!probe.boards.empty()) return {};
  std::string text = "VELQORIS として応答したチップはありません (";
  if (!probe.silent.empty()) text += "応答しなかったチップ: " + Serials(probe.silent);
  if (!probe.silent.empty() && !probe.inUse.empty()) text += "; ";
  if (!probe.inUse.empty())
    text += "他のプログラムが使用中のため調べなかったチップ: " + Serials(probe.inUse);
  return text + ")";
}

std::string SeveralBoardsMessage(const BoardProbe& probe) {
  if (probe.boards.size() < 2 || probe.chosen.empty()) return {};
  return "VELQORIS として応答したボード: " + Serials(probe.boards) + " (" + probe.chosen +
         " を使います。--device で選べます)";
}

std::string DriverProblemText(Ftd2xxLibrary::LoadOutcome outcome) {
  switch (outcome) {
    case Ftd2xxLibrary::LoadOutcome::kMissing:
      return "FTDI の D2XX ドライバ (FTD2XX.DLL) を読み込めませんでした。"
             "FTDI 社のサイトから D2XX ドライバを入手してインストールしてください "
             "(README.txt を参照)";
    case Ftd2xxLibrary::LoadOutcome::kIncomplete:
      return "FTD2XX.DLL に必要な関数がありません。"
             "FTDI 社の D2XX ドライバを入れ直してください (README.txt を参照)";
    default:
      return std::string();
  }
}

std::string DriverProblemNote() {
#ifdef _WIN32
  return DriverProblemText(Ftd2xxLibrary::LastLoad());
#else
  return std::string();
#endif
}

std::string SystemReason(int error) {
  if (error == EISDIR) return std::string(kFolderMessage);
  return std::generic_category().message(error);
}

std::string FileFaultMessage(const FileFault& fault, std::string_view path) {
  const auto withReason = [&](std::string text) {
    if (fault.error != 0) text += ": " + SystemReason(fault.error);
    return text;
  };
  switch (fault.kind) {
    case FileFault::Kind::NotFound:
      return Join(kFileNotFoundMessage, Join(": ", path));
    case FileFault::Kind::NotReadable:
      if (fault.error == EISDIR) return Join(kFolderMessage, Join(": ", path));
      return withReason(Join(kFileNotReadMessage, Join(": ", path)));
    case FileFault::Kind::NotRegular:
      return Join(kNotRegularMessage, Join(": ", path));
    case FileFault::Kind::NotWritten:
      return withReason(std::string(kSaveFailedMessage));
    case FileFault::Kind::BadContents:
      if (path.empty()) break;
      if (fault.line > 0) {
        return Join(kBadDataFileMessage, Join(": ", path)) + " (" + std::to_string(fault.line) +
               " 行目)";
      }
      return Join(kBadDataFileMessage, Join(": ", path));
    case FileFault::Kind::None:
      break;
  }
  return std::string(kBadDataFileMessage);
}

std::string HistoryNotKeptMessage(const FileFault& fault) {
  std::string text = "履歴に保存できませんでした";
  if (fault.error != 0) text += ": " + SystemReason(fault.error);
  return text;
}

std::string SpaceShortMessage(std::string_view path, std::uint64_t needed, std::uint64_t free) {
  // The need rounded up, the room down: never "1 MB needed, 1 MB free".
  const std::string need = std::to_string((needed + (1u << 20) - 1) >> 20);
  const std::string room = std::to_string(free >> 20);
  return Join("ディスクの空きが足りません: ", path) + " (必要 約 " + need + " MB、空き " + room +
         " MB)";
}

std::string OutputNotWrittenMessage(std::string_view kind, std::string_view path, int error) {
  std::string text = Join(kind, Join(" ファイルに書き込めませんでした: ", path));
  if (error != 0) text += ": " + SystemReason(error);
  return text;
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsContinuation(text[i])) continue;
    if (chars == maxChars) return std::string(text.substr(0, i));
    ++chars;
  }
  return std::string(text);
}

}  // namespace velqoris
