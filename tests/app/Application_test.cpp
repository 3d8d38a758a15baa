// The application's own edges: exceptions before the event loop, the
// toolkit's texts in Japanese, and the save dialog that leaves the overwrite
// question to the file handler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <new>
#include <stdexcept>
#include <vector>

#include "app/File_dialogs.h"
#include "app/Velqoris_application.h"
#include "message/Message_box.h"

namespace velqoris::testing {
namespace {

class BoxesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialogs::SetBoxHandler([this](const dialogs::BoxRequest& r) {
      boxes.push_back(r);
      return 0;
    });
  }
  void TearDown() override { dialogs::SetBoxHandler({}); }
  std::vector<dialogs::BoxRequest> boxes;
};

TEST_F(BoxesTest, AnExceptionBeforeTheLoopIsShownAndTheExitCodeIsZero) {
  EXPECT_EQ(RunShowingExceptions([]() -> int { throw std::bad_alloc(); }), 0);
  EXPECT_EQ(RunShowingExceptions([]() -> int { throw std::runtime_error("no device backend"); }),
            0);
  EXPECT_EQ(RunShowingExceptions([]() -> int { throw 42; }), 0);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, std::bad_alloc().what());
  EXPECT_EQ(boxes[1].text, "no device backend");
  EXPECT_EQ(boxes[2].text, "不明な例外が発生しました");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "VELQORIS");
    EXPECT_EQ(box.icon, dialogs::Icon::Error);
  }
  // Without an exception the body's own result stands, and nothing is shown.
  EXPECT_EQ(RunShowingExceptions([] { return 1; }), 1);
  EXPECT_EQ(boxes.size(), 3u);
}

TEST(ToolkitTextsTest, QtsOwnWordsAreJapanese) {
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
            QString::fromUtf8("キャンセル"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("はい(&Y)"));
  const auto dialog = QtFileDialogs().MakeSaveDialog(nullptr, {"Data files (*.DTA)", "*.DTA", {}});
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  QStringList labels;
  for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains(QString::fromUtf8("ファイル名(&N):")))
      << labels.join('|').toStdString();
}

TEST(FileDialogsTest, TheSaveDialogAsksNoOverwriteQuestionOfItsOwn) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("old.DTA");
  {
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const auto dialog = QtFileDialogs().MakeSaveDialog(nullptr, {"Data files (*.DTA)", "*.DTA", {}});
  EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->nameFilters(), QStringList{"Data files (*.DTA)"});
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setDirectory(dir.path());
  dialog->selectFile(existing);

  // Accept the existing name from inside the dialog's loop. A question box
  // would run a loop of its own, where the second timer finds and closes it.
  bool questionAsked = false;
  QTimer::singleShot(0, dialog.get(), [&] {
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        questionAsked = true;
        box->done(QMessageBox::No);
      }
    });
    QMetaObject::invokeMethod(dialog.get(), "accept", Qt::DirectConnection);
    if (dialog->isVisible()) dialog->reject();
  });
  const int result = dialog->exec();
  EXPECT_FALSE(questionAsked);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog->selectedFiles(), QStringList{existing});

  const auto open =
      QtFileDialogs().MakeOpenDialog(nullptr, {"データファイル (*.DTA)", "*.DTA", {}});
  EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
}

TEST(FileDialogsTest, APatternIsNoName) {
  EXPECT_TRUE(HasWildcard("*.DTA"));
  EXPECT_TRUE(HasWildcard("/home/u/*.DTA"));
  EXPECT_TRUE(HasWildcard("/home/u/run?.DTA"));
  EXPECT_FALSE(HasWildcard("/home/u/run1.DTA"));
  EXPECT_FALSE(HasWildcard("/home/a*b/run1"));  // only the file's own name counts
  EXPECT_FALSE(HasWildcard(""));
}

}  // namespace
}  // namespace velqoris::testing
