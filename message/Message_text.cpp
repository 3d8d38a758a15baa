#include "message/Message_text.h"

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
