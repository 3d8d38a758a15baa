#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <filesystem>

#include <string>
#include <vector>

#include "datafile/Myfile.h"
#include "tests/datafile/Data_file_fixture.h"

namespace velqoris::testing {
namespace {

using SaveTest = DataFileTest;

TmyFile NeverAsked() {
  return TmyFile([](const std::string&) -> bool {
    ADD_FAILURE() << "no question expected";
    return false;
  });
}

MeasureSettings SampleSettings(std::int32_t chSel) {
  MeasureSettings s;
  s.spsSel = 3;
  s.DataCountSel = 0;
  s.CHSel = chSel;
  s.GainSel = 2;
  s.Gain = 16;
  s.fSinc4 = 0;
  s.fBUF_ON = 1;
  s.fCHOP_ON = 0;
  return s;
}

TEST_F(SaveTest, OneChannelFileIsExactlyTheDocumentedLinesWithCrLf) {
  Channel ch;
  ch.Fill(3, 8388608, -1);
  ch.codes[2] = -5;
  const MeasureSettings s = SampleSettings(0);
  ASSERT_TRUE(NeverAsked().SaveData(PathOf("a.DTA"), &s, &ch.buffer));
  EXPECT_EQ(Read(PathOf("a.DTA")),
            Lines(Concat(Head(), {"D:", "8388608", "8388607", "-5", "DEND:"}), "\r\n"));
}

TEST_F(SaveTest, TwoChannelFileJoinsCodesWithACommaAndNoSamplesGivesAnEmptyBlock) {
  Channel ch0;
  Channel ch1;
  ch0.Fill(2, 100, 1);
  ch1.Fill(2, 16777215, -16777215);
  MeasureSettings s = SampleSettings(2);
  s.fSinc4 = 7;  // any set flag is written as 1
  ASSERT_TRUE(NeverAsked().SaveData2(PathOf("two.DTA"), &s, &ch0.buffer, &ch1.buffer));
  std::vector<std::string> head = Head("2");
  head[6] = "fSinc4:1";
  EXPECT_EQ(Read(PathOf("two.DTA")),
            Lines(Concat(head, {"D:", "100,16777215", "101,0", "DEND:"}), "\r\n"));

  ch0.buffer.Count = 0;
  ch1.buffer.Count = 0;
  ASSERT_TRUE(NeverAsked().SaveData2(PathOf("none.DTA"), &s, &ch0.buffer, &ch1.buffer));
  EXPECT_EQ(Read(PathOf("none.DTA")), Lines(Concat(head, {"D:", "DEND:"}), "\r\n"));
}

TEST_F(SaveTest, MissingArgumentsAndImpossibleBuffersFailWithoutAFile) {
  Channel ch0;
  Channel ch1;
  const MeasureSettings s = SampleSettings(0);
  TmyFile file = NeverAsked();
  const std::string path = PathOf("x.DTA");
  EXPECT_FALSE(file.SaveData("", &s, &ch0.buffer));
  EXPECT_FALSE(file.SaveData(path, nullptr, &ch0.buffer));
  EXPECT_FALSE(file.SaveData(path, &s, nullptr));
  EXPECT_FALSE(file.SaveData2(path, &s, &ch0.buffer, nullptr));
  EXPECT_FALSE(file.SaveData2(path, &s, nullptr, &ch1.buffer));

  ch0.buffer.Count = kSampleCapacity + 1;  // would read past the arrays
  EXPECT_FALSE(file.SaveData(path, &s, &ch0.buffer));
  ch0.buffer.Count = 5;
  ch1.buffer.Count = 4;  // the fifth CH1 code would be stale
  EXPECT_FALSE(file.SaveData2(path, &s, &ch0.buffer, &ch1.buffer));
  SampleBuffer noArrays{3, nullptr, nullptr};
  EXPECT_FALSE(file.SaveData(path, &s, &noArrays));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(SaveTest, OverwriteAsksWithThePathAndOnlyYesReplaces) {
  const std::string path = Write("old.DTA", "old contents\n");
  Channel ch;
  ch.Fill(4, 1, 1);
  const MeasureSettings s = SampleSettings(0);
  std::vector<std::string> questions;
  bool answer = false;
  TmyFile file([&](const std::string& q) {
    questions.push_back(q);
    return answer;
  });

  EXPECT_TRUE(file.SaveData(path, &s, &ch.buffer));  // No: reported as no error
  EXPECT_EQ(Read(path), "old contents\n");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "ファイル：" + path + "があります。\n上書きしますか");

  answer = true;
  EXPECT_TRUE(file.SaveData(path, &s, &ch.buffer));
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(Read(path).substr(0, 20), "VELQORIS_DataFile:\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.DTA"});
}

TEST_F(SaveTest, WithoutAConfirmHandlerAnExistingFileIsNotReplaced) {
  const std::string path = Write("old.DTA", "keep");
  Channel ch;
  const MeasureSettings s = SampleSettings(0);
  EXPECT_TRUE(TmyFile(nullptr).SaveData(path, &s, &ch.buffer));
  EXPECT_EQ(Read(path), "keep");
}

TEST_F(SaveTest, AFailedWriteAnywhereLeavesTheOldFileByteIdenticalAndNoTemporary) {
  const std::string old = "VELQORIS_DataFile:\r\nold bytes\r\n";
  const std::string path = Write("run.DTA", old);
  Channel ch0;
  Channel ch1;
  ch0.Fill(57, 8000000, 3);
  ch1.Fill(57, 9000000, -3);
  const MeasureSettings s = SampleSettings(2);
  // 1 + 9 + 2 + 57 lines in all: fail at the first, inside the settings, inside the data, at
  // "DEND:".
  for (int limit : {0, 5, 40, 68}) {
    TmyFile file([](const std::string&) { return true; }, limit);
    EXPECT_FALSE(file.SaveData2(path, &s, &ch0.buffer, &ch1.buffer)) << limit;
    EXPECT_EQ(Read(path), old) << limit;
    EXPECT_EQ(Entries(), std::vector<std::string>{"run.DTA"}) << limit;
  }
  TmyFile enough([](const std::string&) { return true; }, 69);
  EXPECT_TRUE(enough.SaveData2(path, &s, &ch0.buffer, &ch1.buffer));
  EXPECT_NE(Read(path), old);
}

TEST_F(SaveTest, LongWritesFailPastTheFirstChunkToo) {
  Channel ch;
  ch.Fill(10000, 8388608, 1);  // well over one gathered write
  const MeasureSettings s = SampleSettings(0);
  TmyFile file(nullptr, 9000);
  EXPECT_FALSE(file.SaveData(PathOf("big.DTA"), &s, &ch.buffer));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(SaveTest, AFolderThatDoesNotExistFails) {
  Channel ch;
  const MeasureSettings s = SampleSettings(0);
  EXPECT_FALSE(NeverAsked().SaveData(PathOf("missing/run.DTA"), &s, &ch.buffer));
}

// Each failed save keeps the system's reason for the message that reports it.
TEST_F(SaveTest, FailedSavesSayWhy) {
  Channel ch;
  ch.Fill(10, 8388608, 1);
  const MeasureSettings s = SampleSettings(0);
  struct Case {
    std::string path;
    int lineLimit;
    FileFault::Kind kind;
    int error;
  };
  std::filesystem::create_directory(dir_ / "folder.DTA");
  const Case saves[] = {
      {PathOf("missing/run.DTA"), -1, FileFault::Kind::NotWritten, ENOENT},
      {PathOf("folder.DTA"), -1, FileFault::Kind::NotWritten, EISDIR},
      {PathOf("full.DTA"), 5, FileFault::Kind::NotWritten, ENOSPC},
      {PathOf("fine.DTA"), -1, FileFault::Kind::None, 0},
  };
  for (const Case& c : saves) {
    TmyFile file(nullptr, c.lineLimit);
    EXPECT_EQ(file.SaveData(c.path, &s, &ch.buffer), c.kind == FileFault::Kind::None) << c.path;
    EXPECT_EQ(file.LastFault().kind, c.kind) << c.path;
    EXPECT_EQ(file.LastFault().error, c.error) << c.path;
  }
}

TEST_F(SaveTest, AReadOnlyFileIsNotReplacedAndStaysAsItWas) {
  const std::string path = Write("locked.DTA", "keep\r\n");
  namespace fs = std::filesystem;
  fs::permissions(PathFromUtf8(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (Utf8FileWritable(path)) GTEST_SKIP() << "this user writes read-only files";
  Channel ch;
  ch.Fill(3, 7, 1);
  const MeasureSettings s = SampleSettings(0);
  EXPECT_FALSE(TmyFile([](const std::string&) { return true; }).SaveData(path, &s, &ch.buffer));
  EXPECT_EQ(Read(path), "keep\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"locked.DTA"});
  fs::permissions(PathFromUtf8(path), fs::perms::owner_write, fs::perm_options::add);
}

// Japanese folder and file names reach the disk as they are and load back.
TEST_F(SaveTest, JapaneseNamesAreKeptOnDiskAndLoadBack) {
  std::filesystem::create_directory(PathFromUtf8(PathOf("測定結果")));
  const std::string path = PathOf("測定結果/ノイズ測定.DTA");
  Channel ch;
  ch.Fill(4, 8388608, -2);
  const MeasureSettings s = SampleSettings(0);
  ASSERT_TRUE(NeverAsked().SaveData(path, &s, &ch.buffer));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(PathOf("測定結果")))) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(names, std::vector<std::string>{"ノイズ測定.DTA"});
  MeasureSettings loaded;
  Channel in0, in1;
  ASSERT_TRUE(NeverAsked().LoadData(path, &loaded, &in0.buffer, &in1.buffer));
  EXPECT_EQ(in0.buffer.Count, 4);
  EXPECT_EQ(in0.codes[3], 8388602);
}

#ifndef _WIN32
TEST_F(SaveTest, ReplacingKeepsThePermissionsOfTheOldFile) {
  const std::string path = Write("perm.DTA", "x");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  Channel ch;
  const MeasureSettings s = SampleSettings(0);
  ASSERT_TRUE(TmyFile([](const std::string&) { return true; }).SaveData(path, &s, &ch.buffer));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SaveTest, SavingThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
  std::filesystem::create_directory(dir_ / "real");
  const std::string target = Write("real/run.DTA", "old");
  const std::string link = PathOf("link.DTA");
  std::filesystem::create_symlink(target, link);
  Channel ch;
  ch.Fill(1, 5, 0);
  const MeasureSettings s = SampleSettings(0);
  ASSERT_TRUE(TmyFile([](const std::string&) { return true; }).SaveData(link, &s, &ch.buffer));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Read(target).substr(0, 18), "VELQORIS_DataFile:");
}
#endif

}  // namespace
}  // namespace velqoris::testing
