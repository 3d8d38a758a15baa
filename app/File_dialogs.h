// How the window asks for a file name. The program uses the toolkit's
// dialogs; tests answer with names of their own.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace velqoris {

struct FileDialogRequest {
  std::string filter;       // "description (*.EXT)"
  std::string initialName;  // "*.DTA"
  std::string folder;       // where the dialog opens; empty: the folder used last
};

class DialogFolder;

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen full path (UTF-8), or nothing when the user cancelled.
  virtual std::optional<std::string> SaveFileName(QWidget* parent,
                                                  const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> OpenFileName(QWidget* parent,
                                                  const FileDialogRequest& request) = 0;
};

// The toolkit's dialogs; a chosen file's folder is where the next one opens.
class QtFileDialogs final : public FileDialogs {
 public:
  // Without a memory: the program's shared one (SharedDialogFolder()).
  explicit QtFileDialogs(DialogFolder* folder = nullptr);

  // The dialogs as they are shown, set up from the request.
  std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent,
                                              const FileDialogRequest& request) const;
  std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent,
                                              const FileDialogRequest& request) const;

  std::optional<std::string> SaveFileName(QWidget* parent,
                                          const FileDialogRequest& request) override;
  std::optional<std::string> OpenFileName(QWidget* parent,
                                          const FileDialogRequest& request) override;

 private:
  std::optional<std::string> Run(QFileDialog& dialog);
  std::unique_ptr<QFileDialog> MakeDialog(QWidget* parent, const FileDialogRequest& request,
                                          bool save) const;

  DialogFolder& folder_;
};

// True when the file name (the last part of the path) holds "*" or "?": a
// pattern such as the pre-filled "*.DTA", never a name to write.
bool HasWildcard(const std::string& path);

}  // namespace velqoris
