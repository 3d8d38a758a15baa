// Where the file dialogs open: in the folder of the file chosen last, kept
// across starts in a one-line file in the program's user data folder, or,
// before any choice, in the user's documents folder (never the program's own
// folder, which an installed program may not write).
#pragma once

#include <string>

namespace velqoris {

class DialogFolder {
 public:
  // `memoryFile` empty: the choice is kept only while the program runs.
  explicit DialogFolder(std::string memoryFile);

  // The folder to open in (UTF-8).
  std::string Start() const;
  // A file was chosen: its folder is where the next dialog opens.
  void Chosen(const std::string& path);

 private:
  std::string memoryFile_;
  std::string last_;
};

// The user's documents folder, else the home folder.
std::string DocumentsFolder();

// The program's one memory, in the user data folder.
DialogFolder& SharedDialogFolder();

}  // namespace velqoris
