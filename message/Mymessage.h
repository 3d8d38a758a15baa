// The program's error boxes: one operation per kind of failure, each showing
// one modal box with the error icon and the one button "OK".
#pragma once

#include <string>

#include "datafile/File_fault.h"

namespace velqoris {

class TmyMessage {
 public:
  // A caption longer than 19 characters is cut; a null caption is empty.
  TmyMessage(std::string boardName, const char* caption);

  void ShowFatalMemoryError(const std::string& detail);
  void ShowBoardNotFound();
  void ShowBoardNoResponse();
  void ShowSaveFailed();
  void ShowBadDataFile();
  void ShowNoData();
  // A failed load or save with its cause (FileFaultMessage).
  void ShowFileFault(const FileFault& fault, const std::string& path);

  const std::string& Caption() const { return caption_; }

 private:
  void Show(const std::string& text);

  std::string boardName_;
  std::string caption_;
};

}  // namespace velqoris
