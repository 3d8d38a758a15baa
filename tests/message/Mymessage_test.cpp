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
      {{Kind::NotReadable, EISDIR}, "ファイルではなくフォルダです: /d/run.DTA"},
      {{Kind::NotRegular, 0}, "通常のファイルではありません: /d/run.DTA"},
      {{Kind::BadContents, 0}, "データファイルの内容が正しくありませんでした: /d/run.DTA"},
      {{Kind::BadContents, 0, 14},
       "データファイルの内容が正しくありませんでした: /d/run.DTA (14 行目)"},
      {{Kind::NotWritten, EISDIR}, "データ保存できませんでした: ファイルではなくフォルダです"},
      {{Kind::NotWritten, EACCES}, "データ保存できませんでした: Permission denied"},
      {{Kind::NotWritten, ENOSPC}, "データ保存できませんでした: No space left on device"},
      {{Kind::NotWritten, EROFS}, "データ保存できませんでした: Read-only file system"},
      {{Kind::NotWritten, 0}, "データ保存できませんでした"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileFaultMessage(c.fault, "/d/run.DTA"), c.text);
}

TEST(MessageTexts, OutputsAndTheHistorySayWhyTheyWereNotWritten) {
  EXPECT_EQ(OutputNotWrittenMessage("CSV", "/d/log.csv", ENOSPC),
            "CSV ファイルに書き込めませんでした: /d/log.csv: No space left on device");
  EXPECT_EQ(OutputNotWrittenMessage("PNG", "/d", EISDIR),
            "PNG ファイルに書き込めませんでした: /d: ファイルではなくフォルダです");
  EXPECT_EQ(OutputNotWrittenMessage("CSV", "/d/x.csv", 0),
            "CSV ファイルに書き込めませんでした: /d/x.csv");
  EXPECT_EQ(HistoryNotKeptMessage({FileFault::Kind::NotWritten, ENOSPC}),
            "履歴に保存できませんでした: No space left on device");
  // The need rounded up, the room down.
  EXPECT_EQ(SpaceShortMessage("/d/run.DTA", (5u << 20) + 1, (3u << 20) - 1),
            "ディスクの空きが足りません: /d/run.DTA (必要 約 6 MB、空き 2 MB)");
}

TEST(MessageTexts, TheBoardSearchTellsItsFailuresApart) {
  BoardProbe none;
  EXPECT_EQ(BoardSearchMessage(none), "") << "no search by serial: nothing to add";
  none.done = true;
  EXPECT_EQ(BoardSearchMessage(none), "FTDI のチップが見つかりませんでした");
  BoardProbe unknown{true, "VQ9", {"FT1", ""}, {}, {}, {}, ""};
  EXPECT_EQ(BoardSearchMessage(unknown),
            "シリアル番号 VQ9 のチップはありません (接続されているチップ: FT1, (番号なし))");
  BoardProbe silent{true, "", {"FT1", "FT2"}, {"FT2"}, {"FT1"}, {}, ""};
  EXPECT_EQ(BoardSearchMessage(silent),
            "VELQORIS として応答したチップはありません (応答しなかったチップ: FT1; "
            "他のプログラムが使用中のため調べなかったチップ: FT2)");
  BoardProbe two{true, "", {"VQ1", "VQ2"}, {}, {}, {"VQ1", "VQ2"}, "VQ1"};
  EXPECT_EQ(BoardSearchMessage(two), "");
  EXPECT_EQ(SeveralBoardsMessage(two),
            "VELQORIS として応答したボード: VQ1, VQ2 (VQ1 を使います。--device で選べます)");
  two.boards.pop_back();
  EXPECT_EQ(SeveralBoardsMessage(two), "");
}

TEST(MessageTexts, CutToCharsKeepsShortTexts) {
  EXPECT_EQ(CutToChars("", 19), "");
  EXPECT_EQ(CutToChars("ab確", 3), "ab確");
  EXPECT_EQ(CutToChars("ab確c", 3), "ab確");
  EXPECT_EQ(CutToChars("abc", 0), "");
}

}  // namespace
}  // namespace velqoris
