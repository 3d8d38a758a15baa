#include "app/File_dialogs.h"

#include <QFileDialog>
#include <QString>

namespace velqoris {

namespace {

std::optional<std::string> Answer(const QString& name) {
  if (name.isNull()) return std::nullopt;
  return name.toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialogs::SaveFileName(QWidget* parent,
                                                       const FileDialogRequest& request) {
  return Answer(QFileDialog::getSaveFileName(parent, QString(),
                                             QString::fromStdString(request.initialName),
                                             QString::fromStdString(request.filter)));
}

std::optional<std::string> QtFileDialogs::OpenFileName(QWidget* parent,
                                                       const FileDialogRequest& request) {
  return Answer(QFileDialog::getOpenFileName(parent, QString(),
                                             QString::fromStdString(request.initialName),
                                             QString::fromStdString(request.filter)));
}

}  // namespace velqoris
