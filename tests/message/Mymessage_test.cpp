#include "message/Mymessage.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "message/Message_box.h"
#include "message/Message_text.h"

namespace velqoris {
namespace {

using dialogs::BoxRequest;

class MymessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialogs::SetBoxHandler([this](const BoxRequest& r) {
      shown.push_back(r);
      return 0;
    });
  }
  void TearDown() override { dialogs::SetBoxHandler({}); }

  // The one box shown since the last call; an error box with the one button OK.
  BoxRequest TakeOne() {
    EXPECT_EQ(shown.size(), 1u);
    BoxRequest r = shown.empty() ? BoxRequest{} : shown.front();
    EXPECT_EQ(r.icon, dialogs::Icon::Error);
    EXPECT_EQ(r.buttons, (std::vector<std::string>{"OK"}));
    shown.clear();
    return r;
  }

  std::vector<BoxRequest> shown;
  TmyMessage message{"VELQORIS", "VELQORIS Board"};
};

TEST_F(MymessageTest, EveryOperationShowsItsText) {
  const std::pair<void (TmyMessage::*)(), const char*> cases[] = {
      {&TmyMessage::ShowBoardNotFound, "VELQORIS が見つかりませんでした"},
      {&TmyMessage::ShowBoardNoResponse, "VELQORIS が応答しませんでした"},
      {&TmyMessage::ShowSaveFailed, "データ保存できませんでした"},
      {&TmyMessage::ShowBadDataFile, "データファイルの内容が正しくありませんでした"},
      {&TmyMessage::ShowNoData, "データがありません"},
  };
  for (const auto& [operation, text] : cases) {
    (message.*operation)();
    const BoxRequest r = TakeOne();
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.caption, "VELQORIS Board");
  }
}

TEST_F(MymessageTest, FatalMemoryErrorAppendsTheDetail) {
  message.ShowFatalMemoryError("myStatus");
  EXPECT_EQ(TakeOne().text, "致命的なメモリエラーです:myStatus");
  message.ShowFatalMemoryError("");
  const BoxRequest r = TakeOne();
  EXPECT_EQ(r.text, "致命的なメモリエラーです:");
  EXPECT_EQ(r.caption, "VELQORIS Board");
}

TEST(MymessageCaption, CutToNineteenCharactersNotBytes) {
  EXPECT_EQ(TmyMessage("B", "0123456789012345678").Caption(), "0123456789012345678");
  EXPECT_EQ(TmyMessage("B", "01234567890123456789AB").Caption(), "0123456789012345678");
  // 21 three-byte characters keep 19 of them, whole.
  std::string wide;
  for (int i = 0; i < 21; ++i) wide += "確";
  std::string expected;
  for (int i = 0; i < 19; ++i) expected += "確";
  EXPECT_EQ(TmyMessage("B", wide.c_str()).Caption(), expected);
  EXPECT_EQ(TmyMessage("B", nullptr).Caption(), "");
}

TEST(MymessageCaption, BoxesUseTheCutCaption) {
  std::vector<BoxRequest> shown;
  dialogs::SetBoxHandler([&shown](const BoxRequest& r) {
    shown.push_back(r);
    return -1;
  });
  TmyMessage message("X", "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  message.ShowNoData();
  dialogs::SetBoxHandler({});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "ABCDEFGHIJKLMNOPQRS");
}

TEST(MessageTexts, CatalogueOfTheProgramEntry) {
  EXPECT_EQ(kAlreadyRunningMessage, "AD7190 はすでに起動しています");
  EXPECT_EQ(kAlreadyRunningCaption, "AD7190");
  EXPECT_EQ(FatalMemoryMessage("Z_Message"), "致命的なメモリエラーです:Z_Message");
}

TEST(MessageTexts, ADriverThatDidNotLoadIsNamed) {
  using Outcome = Ftd2xxLibrary::LoadOutcome;
  const struct {
    Outcome outcome;
    const char* part;  // null: no text
  } cases[] = {
      {Outcome::kMissing, "FTDI の D2XX ドライバ (FTD2XX.DLL) を読み込めませんでした"},
      {Outcome::kIncomplete, "FTD2XX.DLL に必要な関数がありません"},
      {Outcome::kLoaded, nullptr},
      {Outcome::kNotTried, nullptr},
  };
  for (const auto& c : cases) {
    const std::string text = DriverProblemText(c.outcome);
    if (c.part == nullptr) {
      EXPECT_TRUE(text.empty()) << text;
    } else {
      EXPECT_NE(text.find(c.part), std::string::npos) << text;
      EXPECT_NE(text.find("README.txt"), std::string::npos) << text;
    }
  }
}

TEST(MessageTexts, FileFaultsSayWhatHappened) {
  using Kind = FileFault::Kind;
  const struct {
    FileFault fault;
    const char* text;
  } cases[] = {
      {{Kind::NotFound, ENOENT}, "ファイルが見つかりません: /d/run.DTA"},
      {{Kind::NotReadable, EACCES},
       "ファイルを読み込めませんでした: /d/run.DTA: Permission denied"},
      {{Kind::BadContents, 0}, "データファイルの内容が正しくありませんでした"},
      {{Kind::NotWritten, EACCES}, "データ保存できませんでした: Permission denied"},
      {{Kind::NotWritten, ENOSPC}, "データ保存できませんでした: No space left on device"},
      {{Kind::NotWritten, EROFS}, "データ保存できませんでした: Read-only file system"},
      {{Kind::NotWritten, 0}, "データ保存できませんでした"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileFaultMessage(c.fault, "/d/run.DTA"), c.text);
}

TEST(MessageTexts, CutToCharsKeepsShortTexts) {
  EXPECT_EQ(CutToChars("", 19), "");
  EXPECT_EQ(CutToChars("ab確", 3), "ab確");
  EXPECT_EQ(CutToChars("ab確c", 3), "ab確");
  EXPECT_EQ(CutToChars("abc", 0), "");
}

}  // namespace
}  // namespace velqoris
