#include "message/Message_text.h"

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

std::string SystemReason(int error) { return std::generic_category().message(error); }

std::string FileFaultMessage(const FileFault& fault, std::string_view path) {
  const auto withReason = [&](std::string text) {
    if (fault.error != 0) text += ": " + SystemReason(fault.error);
    return text;
  };
  switch (fault.kind) {
    case FileFault::Kind::NotFound:
      return Join(kFileNotFoundMessage, Join(": ", path));
    case FileFault::Kind::NotReadable:
      return withReason(Join(kFileNotReadMessage, Join(": ", path)));
    case FileFault::Kind::NotWritten:
      return withReason(std::string(kSaveFailedMessage));
    case FileFault::Kind::BadContents:
    case FileFault::Kind::None:
      break;
  }
  return std::string(kBadDataFileMessage);
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
