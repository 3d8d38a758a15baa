// How the window asks for a file name. The program uses the toolkit's
// dialogs; tests answer with names of their own.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace velqoris {

struct FileDialogRequest {
  std::string filter;       // "description (*.EXT)"
  std::string initialName;  // "*.DTA"
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen full path (UTF-8), or nothing when the user cancelled.
  virtual std::optional<std::string> SaveFileName(QWidget* parent,
                                                  const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> OpenFileName(QWidget* parent,
                                                  const FileDialogRequest& request) = 0;
};

class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<std::string> SaveFileName(QWidget* parent,
                                          const FileDialogRequest& request) override;
  std::optional<std::string> OpenFileName(QWidget* parent,
                                          const FileDialogRequest& request) override;
};

}  // namespace velqoris
