#include "app/Dialog_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

#include "datafile/User_data_folder.h"

namespace velqoris {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

}  // namespace

DialogFolder::DialogFolder(std::string memoryFile) : memoryFile_(std::move(memoryFile)) {
  if (memoryFile_.empty()) return;
  QFile file(Q(memoryFile_));
  if (file.open(QIODevice::ReadOnly)) last_ = file.readLine(4096).trimmed().toStdString();
}

std::string DialogFolder::Start() const {
  // A remembered folder that has gone (a pulled stick) is passed over.
  if (IsFolder(Q(last_))) return last_;
  return DocumentsFolder();
}

void DialogFolder::Chosen(const std::string& path) {
  const QString folder = QFileInfo(Q(path)).absolutePath();
  if (folder.isEmpty()) return;
  last_ = folder.toStdString();
  if (memoryFile_.empty()) return;
  QDir().mkpath(QFileInfo(Q(memoryFile_)).absolutePath());
  QSaveFile file(Q(memoryFile_));
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(folder.toUtf8() + '\n');
  file.commit();
}

std::string DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (IsFolder(documents)) return documents.toStdString();
  return QDir::homePath().toStdString();
}

DialogFolder& SharedDialogFolder() {
  static DialogFolder folder([] {
    const std::string data = UserDataFolder();
    return data.empty() ? std::string() : data + "/dialog-folder.txt";
  }());
  return folder;
}

}  // namespace velqoris
