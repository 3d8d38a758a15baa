#include "app/File_dialogs.h"

#include <QFileDialog>
#include <QString>

namespace velqoris {

namespace {

std::optional<std::string> Run(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front().toStdString();
}

std::unique_ptr<QFileDialog> MakeDialog(QWidget* parent, const FileDialogRequest& request,
                                        QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(parent, QString(), QString(),
                                              QString::fromStdString(request.filter));
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                      : QFileDialog::ExistingFile);
  if (!request.folder.empty()) dialog->setDirectory(QString::fromStdString(request.folder));
  dialog->selectFile(QString::fromStdString(request.initialName));
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> QtFileDialogs::MakeSaveDialog(QWidget* parent,
                                                           const FileDialogRequest& request) {
  auto dialog = MakeDialog(parent, request, QFileDialog::AcceptSave);
  // The file handler asks about the final name, after the extension rule;
  // the dialog's own question would come first, about another name.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  return dialog;
}

std::unique_ptr<QFileDialog> QtFileDialogs::MakeOpenDialog(QWidget* parent,
                                                           const FileDialogRequest& request) {
  return MakeDialog(parent, request, QFileDialog::AcceptOpen);
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
