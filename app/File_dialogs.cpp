#include "app/File_dialogs.h"

#include <QFileDialog>
#include <QString>

#include "app/Dialog_folder.h"

namespace velqoris {

QtFileDialogs::QtFileDialogs(DialogFolder* folder)
    : folder_(folder != nullptr ? *folder : SharedDialogFolder()) {}

std::optional<std::string> QtFileDialogs::Run(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  std::string path = chosen.front().toStdString();
  folder_.Chosen(path);
  return path;
}

std::unique_ptr<QFileDialog> QtFileDialogs::MakeDialog(QWidget* parent,
                                                       const FileDialogRequest& request,
                                                       bool save) const {
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(),
                                              QString::fromStdString(request.filter));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const std::string folder = request.folder.empty() ? folder_.Start() : request.folder;
  dialog->setDirectory(QString::fromStdString(folder));
  dialog->selectFile(QString::fromStdString(request.initialName));
  return dialog;
}

std::unique_ptr<QFileDialog> QtFileDialogs::MakeSaveDialog(QWidget* parent,
                                                           const FileDialogRequest& request) const {
  auto dialog = MakeDialog(parent, request, true);
  // The file handler asks about the final name, after the extension rule;
  // the dialog's own question would come first, about another name.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  return dialog;
}

std::unique_ptr<QFileDialog> QtFileDialogs::MakeOpenDialog(QWidget* parent,
                                                           const FileDialogRequest& request) const {
  return MakeDialog(parent, request, false);
}

std::optional<std::string> QtFileDialogs::SaveFileName(QWidget* parent,
                                                       const FileDialogRequest& request) {
  return Run(*MakeSaveDialog(parent, request));
}

std::optional<std::string> QtFileDialogs::OpenFileName(QWidget* parent,
                                                       const FileDialogRequest& request) {
  return Run(*MakeOpenDialog(parent, request));
}

bool HasWildcard(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.find_first_of("*?") != std::string::npos;
}

}  // namespace velqoris
