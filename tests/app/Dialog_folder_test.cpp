// Where the file dialogs open: the documents folder at first, then the folder
// of the file chosen last, remembered across starts; the filter and the
// initial name stay as the window asks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include "app/Dialog_folder.h"
#include "app/File_dialogs.h"

namespace velqoris::testing {
namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

TEST(DialogFolderTest, DocumentsFirstThenTheLastChoiceKeptAcrossStarts) {
  QTemporaryDir dir;
  const std::string memory = Utf8(dir.filePath("velqoris/dialog-folder.txt"));
  const std::string chosen = Utf8(dir.filePath("測定 データ"));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(chosen)));
  {
    DialogFolder folder(memory);
    EXPECT_EQ(folder.Start(), DocumentsFolder());
    folder.Chosen(chosen + "/run1.DTA");
    EXPECT_EQ(folder.Start(), chosen);
  }
  DialogFolder nextStart(memory);
  EXPECT_EQ(nextStart.Start(), chosen);
  // A folder that has gone since is passed over.
  ASSERT_TRUE(QDir(QString::fromStdString(chosen)).removeRecursively());
  EXPECT_EQ(DialogFolder(memory).Start(), DocumentsFolder());
  // Without a memory file the choice lasts while the program runs.
  DialogFolder unkept{std::string()};
  unkept.Chosen(Utf8(dir.filePath("run2.DTA")));
  EXPECT_EQ(unkept.Start(), Utf8(dir.path()));
}

TEST(DialogFolderTest, TheDialogsOpenThereWithTheirFilterAndInitialName) {
  QTemporaryDir dir;
  DialogFolder folder{std::string()};
  folder.Chosen(Utf8(dir.filePath("old.DTA")));
  QtFileDialogs dialogs(&folder);
  struct Case {
    FileDialogRequest request;
    QString directory;
    bool save;
  };
  const Case cases[] = {
      {{"Data files (*.DTA)", "*.DTA", {}}, dir.path(), true},
      {{"データファイル (*.DTA)", "*.DTA", {}}, dir.path(), false},
      // The history opens in its own folder.
      {{"データファイル (*.DTA)", "*.DTA", Utf8(QDir::tempPath())}, QDir::tempPath(), false},
  };
  for (const Case& c : cases) {
    const auto d = c.save ? dialogs.MakeSaveDialog(nullptr, c.request)
                          : dialogs.MakeOpenDialog(nullptr, c.request);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(c.directory).canonicalPath())
        << c.request.filter;
    EXPECT_EQ(d->nameFilters(), QStringList{QString::fromStdString(c.request.filter)});
    EXPECT_EQ(d->acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  }
}

TEST(DialogFolderTest, TheDocumentsFolderIsNeverTheProgramsOwn) {
  EXPECT_FALSE(DocumentsFolder().empty());
  EXPECT_NE(QDir(QString::fromStdString(DocumentsFolder())).canonicalPath(),
            QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

}  // namespace
}  // namespace velqoris::testing
