#include "message/Message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace velqoris::dialogs {
namespace {

class Recorder {
 public:
  explicit Recorder(int answer) : answer_(answer) {
    SetBoxHandler([this](const BoxRequest& r) {
      requests.push_back(r);
      return answer_;
    });
  }
  ~Recorder() { SetBoxHandler({}); }

  std::vector<BoxRequest> requests;

 private:
  int answer_;
};

TEST(BoxSeam, HandlerSeesTheRequestAndAnswers) {
  Recorder recorder(3);
  EXPECT_EQ(ShowBox({"text", "caption", Icon::Error, {"a", "b"}}), 3);
  ASSERT_EQ(recorder.requests.size(), 1u);
  EXPECT_EQ(recorder.requests[0].text, "text");
  EXPECT_EQ(recorder.requests[0].caption, "caption");
  EXPECT_EQ(recorder.requests[0].icon, Icon::Error);
  EXPECT_EQ(recorder.requests[0].buttons, (std::vector<std::string>{"a", "b"}));
}

TEST(BoxSeam, ShowErrorHasTheErrorIconAndOneOkButton) {
  Recorder recorder(0);
  ShowError("bad", "VELQORIS Board");
  ASSERT_EQ(recorder.requests.size(), 1u);
  EXPECT_EQ(recorder.requests[0].icon, Icon::Error);
  EXPECT_EQ(recorder.requests[0].buttons, (std::vector<std::string>{"OK"}));
}

TEST(BoxSeam, AskYesNoIsTrueOnlyForYes) {
  for (int answer : {0, 1, -1, 2}) {
    Recorder recorder(answer);
    EXPECT_EQ(AskYesNo("上書きしますか", "確認"), answer == 0) << answer;
    ASSERT_EQ(recorder.requests.size(), 1u);
    EXPECT_EQ(recorder.requests[0].icon, Icon::Question);
    EXPECT_EQ(recorder.requests[0].caption, "確認");
    EXPECT_EQ(recorder.requests[0].buttons, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)"}));
  }
}

TEST(RealBox, HasNoOwnerAndShowsTheRequest) {
  const auto box = MakeBox({"致命的なメモリエラーです:", "VELQORIS Board", Icon::Error, {"OK"}});
  EXPECT_EQ(box->parent(), nullptr);
  EXPECT_EQ(box->windowTitle(), QString::fromUtf8("VELQORIS Board"));
  EXPECT_EQ(box->text(), QString::fromUtf8("致命的なメモリエラーです:"));
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  ASSERT_EQ(box->buttons().size(), 1);
  EXPECT_EQ(box->buttons()[0]->text(), "OK");
}

TEST(RealBox, QuestionBoxHasTheQuestionIcon) {
  const auto box = MakeBox({"q", "確認", Icon::Question, {"はい(&Y)", "いいえ(&N)"}});
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(box->buttons().size(), 2);
}

// Presses the button with the given text on the box once it is shown.
void PressWhenShown(const QString& text) {
  QTimer::singleShot(0, [text] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == text) b->click();
      }
      return;
    }
    PressWhenShown(text);
  });
}

TEST(RealBox, ReturnsTheIndexOfThePressedButton) {
  SetBoxHandler({});
  PressWhenShown(QString::fromUtf8("いいえ(&N)"));
  EXPECT_FALSE(AskYesNo("q", "確認"));
  PressWhenShown(QString::fromUtf8("はい(&Y)"));
  EXPECT_TRUE(AskYesNo("q", "確認"));
  PressWhenShown("c");
  EXPECT_EQ(ShowBox({"t", "c", Icon::Error, {"a", "b", "c"}}), 2);
}

}  // namespace
}  // namespace velqoris::dialogs
