#include "message/Mymessage.h"

#include <QDir>
#include <QString>

#include <utility>

#include "message/Message_box.h"
#include "message/Message_text.h"

namespace velqoris {

TmyMessage::TmyMessage(std::string boardName, const char* caption)
    : boardName_(std::move(boardName)),
      caption_(CutToChars(caption != nullptr ? caption : "", kCaptionMaxChars)) {}

void TmyMessage::ShowFatalMemoryError(const std::string& detail) {
  Show(FatalMemoryMessage(detail));
}
void TmyMessage::ShowBoardNotFound() {
  const std::string note = DriverProblemNote();
  Show(BoardNotFoundMessage(boardName_) + (note.empty() ? "" : "\n" + note));
}
void TmyMessage::ShowBoardNoResponse() { Show(BoardNoResponseMessage(boardName_)); }
void TmyMessage::ShowSaveFailed() { Show(std::string(kSaveFailedMessage)); }
void TmyMessage::ShowBadDataFile() { Show(std::string(kBadDataFileMessage)); }
void TmyMessage::ShowNoData() { Show(std::string(kNoDataMessage)); }
void TmyMessage::ShowFileFault(const FileFault& fault, const std::string& path) {
  // The path as the system writes it ("\\" on Windows).
  Show(FileFaultMessage(fault,
                        QDir::toNativeSeparators(QString::fromStdString(path)).toStdString()));
}

// The box's answer means nothing here: it has only "OK".
void TmyMessage::Show(const std::string& text) { dialogs::ShowError(text, caption_); }

}  // namespace velqoris
