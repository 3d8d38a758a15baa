#include <string>
#include <vector>

#include "datafile/Line_reader.h"
#include "datafile/Myfile.h"
#include "tests/datafile/Data_file_fixture.h"

namespace velqoris::testing {
namespace {

class LoadTest : public DataFileTest {
 protected:
  // Loads into buffers that hold a marker run, so that an untouched load can be told.
  bool Load(const std::string& bytes) {
    ch0.Fill(3, -1, 0);
    ch1.Fill(2, -2, 0);
    settings = MeasureSettings{};
    const bool ok = file.LoadData(Write("in.DTA", bytes), &settings, &ch0.buffer, &ch1.buffer);
    EXPECT_TRUE(ch0.GuardsIntact());
    EXPECT_TRUE(ch1.GuardsIntact());
    return ok;
  }
  bool LoadLines(const std::vector<std::string>& lines) { return Load(Lines(lines)); }

  void ExpectUntouched() {
    EXPECT_EQ(ch0.buffer.Count, 3);
    EXPECT_EQ(ch0.codes[0], -1);
    EXPECT_EQ(ch1.buffer.Count, 2);
    EXPECT_EQ(ch1.codes[0], -2);
    const MeasureSettings fresh;
    EXPECT_EQ(settings.spsSel, fresh.spsSel);
    EXPECT_EQ(settings.CHSel, fresh.CHSel);
    EXPECT_EQ(settings.GainSel, fresh.GainSel);
    EXPECT_EQ(settings.fBUF_ON, fresh.fBUF_ON);
  }

  TmyFile file{nullptr};
  MeasureSettings settings;
  Channel ch0;
  Channel ch1;
};

TEST_F(LoadTest, RoundTripsOneAndTwoChannelFilesOfZeroAndFiftySevenSamples) {
  for (std::int32_t chSel : {0, 1, 2}) {
    for (int count : {0, 57}) {
      Channel out0;
      Channel out1;
      out0.Fill(count, 8388608, 1001);
      out1.Fill(count, 16777215, -77);
      out0.codes[0] = 0;  // the ends of the converter's range: 0 here, 16777215 in CH1
      MeasureSettings saved;
      saved.spsSel = 12;
      saved.DataCountSel = 6;
      saved.CHSel = chSel;
      saved.GainSel = 5;
      saved.fSinc4 = 0;
      saved.fBUF_ON = 1;
      saved.fCHOP_ON = 1;
      const std::string path = PathOf("rt" + std::to_string(chSel) + "-" + std::to_string(count));
      TmyFile writer(nullptr);
      ASSERT_TRUE(chSel == 2
                      ? writer.SaveData2(path, &saved, &out0.buffer, &out1.buffer)
                      : writer.SaveData(path, &saved, chSel == 0 ? &out0.buffer : &out1.buffer));

      ASSERT_TRUE(Load(Read(path))) << chSel << " " << count;
      EXPECT_EQ(settings.spsSel, 12);
      EXPECT_EQ(settings.DataCountSel, 6);
      EXPECT_EQ(settings.CHSel, chSel);
      EXPECT_EQ(settings.GainSel, 5);
      EXPECT_EQ(settings.fSinc4, 0);
      EXPECT_EQ(settings.fBUF_ON, 1);
      EXPECT_EQ(settings.fCHOP_ON, 1);
      const bool has0 = chSel != 1;
      const bool has1 = chSel != 0;
      EXPECT_EQ(ch0.buffer.Count, has0 ? count : 0);
      EXPECT_EQ(ch1.buffer.Count, has1 ? count : 0);
      for (int i = 0; i < count; ++i) {
        if (has0) {
          EXPECT_EQ(ch0.codes[i], out0.codes[i]);
        }
        if (has1) {
          EXPECT_EQ(ch1.codes[i], out1.codes[i]);
        }
      }
    }
  }
}

TEST_F(LoadTest, LfOnlyAndCrLfLoadAlikeAndStrayCrsAreRemoved) {
  const auto lines = Concat(Head(), {"D:", "8388608", "12", "DEND:"});
  ASSERT_TRUE(Load(Lines(lines, "\r\n")));
  EXPECT_EQ(ch0.buffer.Count, 2);
  ASSERT_TRUE(Load(Lines(lines, "\n")));
  EXPECT_EQ(ch0.buffer.Count, 2);
  EXPECT_EQ(ch0.codes[1], 12);
  EXPECT_EQ(settings.GainSel, 2);
  EXPECT_EQ(settings.fBUF_ON, 1);
  // The last line may lack its end; a CR inside a line is dropped too.
  ASSERT_TRUE(Load(Lines(Concat(Head(), {"D:", "1\r2"})) + "DEND:"));
  EXPECT_EQ(ch0.codes[0], 12);
}

TEST_F(LoadTest, CommentsAreSkippedAnywhereButABlankLineBeforeTheIdentificationFails) {
  ASSERT_TRUE(LoadLines({";first",
                         "VELQORIS_DataFile:",
                         ";",
                         "M:",
                         "spsSel:4",
                         ";x:y",
                         "DataCountSel:1",
                         "CHSel:0",
                         "GainSel:0",
                         "fSinc4:1",
                         "fBUF_ON:0",
                         ";MEND:",
                         "fCHOP_ON:0",
                         "MEND:",
                         ";",
                         "D:",
                         "5",
                         ";6",
                         "7",
                         ";DEND:",
                         "DEND:"}));
  EXPECT_EQ(settings.spsSel, 4);
  ASSERT_EQ(ch0.buffer.Count, 2);
  EXPECT_EQ(ch0.codes[1], 7);

  EXPECT_FALSE(LoadLines(Concat({""}, Concat(Head(), {"D:", "DEND:"}))));
  ExpectUntouched();
  EXPECT_FALSE(LoadLines(Concat({"velqoris_datafile:"}, {"M:"})));
  EXPECT_FALSE(Load(""));
}

TEST_F(LoadTest, FlagsAcceptOnlyZeroAndOne) {
  auto lines = Concat(Head(), {"D:", "DEND:"});
  lines[6] = "fSinc4:1";
  lines[7] = "fBUF_ON:0";
  ASSERT_TRUE(LoadLines(lines));
  EXPECT_EQ(settings.fSinc4, 1);
  EXPECT_EQ(settings.fBUF_ON, 0);
  for (const char* bad : {"fSinc4:2", "fSinc4:", "fBUF_ON: 1", "fCHOP_ON:01", "fCHOP_ON:1 "}) {
    auto broken = lines;
    broken[6] = bad;
    EXPECT_FALSE(LoadLines(broken)) << bad;
    ExpectUntouched();
  }
}

TEST_F(LoadTest, MendBeforeSevenSettingsLinesDoesNotEndTheBlock) {
  // Only six lines before "MEND:": the block runs on and fails at "8388608".
  EXPECT_FALSE(
      LoadLines({"VELQORIS_DataFile:", "M:", "spsSel:3", "DataCountSel:0", "CHSel:0", "GainSel:0",
                 "fSinc4:0", "fBUF_ON:1", "MEND:", "D:", "8388608", "DEND:"}));
  ExpectUntouched();
  // Seven lines of any keys before it are enough.
  ASSERT_TRUE(LoadLines({"VELQORIS_DataFile:", "M:", "a:", "b:", "c:", "d:", "e:", "f:", "g:",
                         "MEND:", "D:", "42", "DEND:"}));
  EXPECT_EQ(ch0.codes[0], 42);
}

TEST_F(LoadTest, TheSettingsBlockEndsAfterTwentyLinesWithoutMend) {
  std::vector<std::string> lines = {"VELQORIS_DataFile:", "M:"};
  for (int i = 0; i < 19; ++i) lines.push_back("note" + std::to_string(i) + ":x");
  lines.push_back("spsSel:7");  // the 20th line still counts
  auto good = Concat(lines, {"", "", "D:", "9", "DEND:"});
  ASSERT_TRUE(LoadLines(good));
  EXPECT_EQ(settings.spsSel, 7);
  EXPECT_EQ(ch0.codes[0], 9);
  // The 21st line is the first of the "D:" search, which takes ten lines at most.
  auto far = lines;
  for (int i = 0; i < 10; ++i) far.push_back("");
  EXPECT_FALSE(LoadLines(Concat(far, {"D:", "9", "DEND:"})));
}

TEST_F(LoadTest, MarkersAreSearchedInTenLinesCountingBlankButNotCommentLines) {
  const std::vector<std::string> head = Head();
  const std::vector<std::string> settingsLines(head.begin() + 2, head.end());
  auto withGap = [&](int blanks, int comments) {
    std::vector<std::string> lines = {"VELQORIS_DataFile:"};
    for (int i = 0; i < blanks; ++i) lines.push_back("");
    for (int i = 0; i < comments; ++i) lines.push_back(";c");
    lines.push_back("M:");
    lines = Concat(lines, settingsLines);
    for (int i = 0; i < blanks; ++i) lines.push_back("");
    for (int i = 0; i < comments; ++i) lines.push_back(";c");
    return Concat(lines, {"D:", "3", "DEND:"});
  };
  EXPECT_TRUE(LoadLines(withGap(9, 30)));
  EXPECT_FALSE(LoadLines(withGap(10, 0)));
  EXPECT_FALSE(LoadLines({"VELQORIS_DataFile:", "", ""}));  // the file ends in the search
}

TEST_F(LoadTest, KeysInAnyOrderExtraKeysAndRepeatsLoad) {
  ASSERT_TRUE(
      LoadLines({"VELQORIS_DataFile:", "M:", "fCHOP_ON:1", "GainSel:4", "Comment:a:b:c", "CHSel:1",
                 "spsSel:0", "spsSel:+11", "x:", "DataCountSel:  -0", "fSinc4:0", "fBUF_ON:1",
                 "MEND:", "D:", "  +8388608", "3", "DEND:", "anything after the end"}));
  EXPECT_EQ(settings.spsSel, 11);
  EXPECT_EQ(settings.DataCountSel, 0);
  EXPECT_EQ(settings.CHSel, 1);
  EXPECT_EQ(settings.GainSel, 4);
  EXPECT_EQ(settings.fCHOP_ON, 1);
  // A CH1 file fills the CH1 buffer and empties CH0.
  EXPECT_EQ(ch0.buffer.Count, 0);
  ASSERT_EQ(ch1.buffer.Count, 2);
  EXPECT_EQ(ch1.codes[0], 8388608);
  EXPECT_EQ(ch1.codes[1], 3);
}

TEST_F(LoadTest, MissingKeysKeepTheRecordsValues) {
  ch0.Fill(0, 0, 0);
  MeasureSettings given;
  given.spsSel = 9;
  given.fBUF_ON = 1;
  const std::string path = Write(
      "in.DTA", Lines({"VELQORIS_DataFile:", "M:", "a:", "b:", "c:", "d:", "e:", "f:", "GainSel:1",
                       "MEND:", "D:", "DEND:"}));
  ASSERT_TRUE(file.LoadData(path, &given, &ch0.buffer, &ch1.buffer));
  EXPECT_EQ(given.spsSel, 9);
  EXPECT_EQ(given.fBUF_ON, 1);
  EXPECT_EQ(given.GainSel, 1);
}

TEST_F(LoadTest, SettingsLinesWithoutAColonOrEndingEarlyFail) {
  auto lines = Concat(Head(), {"D:", "DEND:"});
  lines[4] = "CHSel 0";
  EXPECT_FALSE(LoadLines(lines));
  ExpectUntouched();
  EXPECT_FALSE(LoadLines({"VELQORIS_DataFile:", "M:", "spsSel:1"}));
}

TEST_F(LoadTest, OneChannelDataLinesMustBeWholeIntegersAndEndWithDend) {
  const auto head = Head();
  // Codes outside the converter's 24 bits are no results either.
  for (const char* bad : {"", "12x", "1 2", "0x10", "+", "2147483648", "-2147483649", "1,2", "DEND",
                          "END:", "DEND: ", "-1", "16777216", "2147483647"}) {
    EXPECT_FALSE(LoadLines(Concat(head, {"D:", "5", bad, "DEND:"}))) << '"' << bad << '"';
    ExpectUntouched();
    // Named by its line: the head's lines, "D:", "5", then this one.
    EXPECT_EQ(file.LastFault().line, static_cast<std::int64_t>(head.size()) + 3) << bad;
  }
  EXPECT_FALSE(LoadLines(Concat(head, {"D:", "5"})));  // no end
  EXPECT_EQ(file.LastFault().line, static_cast<std::int64_t>(head.size()) + 3);
  ASSERT_TRUE(LoadLines(Concat(head, {"D:", "16777215", "-0", "DEND:"})));
  EXPECT_EQ(ch0.codes[0], 16777215);
  EXPECT_EQ(ch0.codes[1], 0);
}

TEST_F(LoadTest, TwoChannelLinesSplitAtTheFirstCommaIntoTwoIntegers) {
  const auto head = Head("2");
  ASSERT_TRUE(LoadLines(Concat(head, {"D:", "1,2", " 3,+4", "DEND:"})));
  ASSERT_EQ(ch0.buffer.Count, 2);
  ASSERT_EQ(ch1.buffer.Count, 2);
  EXPECT_EQ(ch0.codes[1], 3);
  EXPECT_EQ(ch1.codes[1], 4);
  for (const char* bad :
       {"7", "7;8", "7 8", "7	8", "7,", ",8", "7,8,9", "7, 8x", "-1,8", "7,16777216"}) {
    EXPECT_FALSE(LoadLines(Concat(head, {"D:", "1,2", bad, "DEND:"}))) << bad;
    ExpectUntouched();
  }
}

TEST_F(LoadTest, EmptyPathMissingFileAndMissingRecordsFail) {
  EXPECT_FALSE(file.LoadData("", &settings, &ch0.buffer, &ch1.buffer));
  EXPECT_FALSE(file.LoadData(PathOf("none.DTA"), &settings, &ch0.buffer, &ch1.buffer));
  const std::string path = Write("ok.DTA", Lines(Concat(Head(), {"D:", "DEND:"})));
  EXPECT_FALSE(file.LoadData(path, nullptr, &ch0.buffer, &ch1.buffer));
  EXPECT_FALSE(file.LoadData(path, &settings, nullptr, &ch1.buffer));
  EXPECT_FALSE(file.LoadData(path, &settings, &ch0.buffer, nullptr));
  SampleBuffer noArrays;
  EXPECT_FALSE(file.LoadData(path, &settings, &ch0.buffer, &noArrays));
  EXPECT_TRUE(file.LoadData(path, &settings, &ch0.buffer, &ch1.buffer));
}

// Faults of the reader that are refused here.

TEST_F(LoadTest, ADataBlockFillsTheCapacityButNotOneLineMore) {
  std::vector<std::string> data = {"D:"};
  for (int i = 0; i < kSampleCapacity; ++i) data.push_back(std::to_string(i));
  ASSERT_TRUE(LoadLines(Concat(Concat(Head(), data), {"DEND:"})));
  EXPECT_EQ(ch0.buffer.Count, kSampleCapacity);
  EXPECT_EQ(ch0.codes[kSampleCapacity - 1], kSampleCapacity - 1);

  data.push_back("1");
  EXPECT_FALSE(LoadLines(Concat(Concat(Head(), data), {"DEND:"})));
  ExpectUntouched();  // guards are checked by every load

  std::vector<std::string> pairs = {"D:"};
  for (int i = 0; i <= kSampleCapacity; ++i) pairs.push_back("1,2");
  EXPECT_FALSE(LoadLines(Concat(Concat(Head("2"), pairs), {"DEND:"})));
  ExpectUntouched();
}

TEST_F(LoadTest, SelectionValuesMustBeIntegersInsideTheirLists) {
  const struct {
    int line;
    const char* text;
  } bad[] = {{2, "spsSel:"},   {2, "spsSel:abc"},       {2, "spsSel:3x"},        {2, "spsSel:13"},
             {2, "spsSel:-1"}, {3, "DataCountSel:7"},   {3, "DataCountSel:1.0"}, {4, "CHSel:3"},
             {4, "CHSel:-1"},  {4, "CHSel:2147483648"}, {5, "GainSel:6"},        {5, "GainSel: "}};
  for (const auto& b : bad) {
    auto lines = Concat(Head(), {"D:", "1", "DEND:"});
    lines[b.line] = b.text;
    EXPECT_FALSE(LoadLines(lines)) << b.text;
    ExpectUntouched();
  }
  auto edges = Concat(Head(), {"D:", "DEND:"});
  edges[2] = "spsSel:12";
  edges[3] = "DataCountSel:6";
  edges[5] = "GainSel:5";
  EXPECT_TRUE(LoadLines(edges));
}

TEST_F(LoadTest, AnOutOfRangeChannelInTheCallersRecordIsNotLoadedEither) {
  MeasureSettings given;
  given.CHSel = 5;  // the file has no CHSel line
  const std::string path = Write("in.DTA", Lines({"VELQORIS_DataFile:", "M:", "a:", "b:", "c:",
                                                  "d:", "e:", "f:", "g:", "MEND:", "D:", "DEND:"}));
  ch0.Fill(3, -1, 0);
  EXPECT_FALSE(file.LoadData(path, &given, &ch0.buffer, &ch1.buffer));
  EXPECT_EQ(given.CHSel, 5);
  EXPECT_EQ(ch0.buffer.Count, 3);
}

TEST_F(LoadTest, ALongCommentLineIsSkippedWhole) {
  // Its tail past 255 characters looks like a sample and must not become one.
  const std::string comment = ";" + std::string(254, 'c') + "12345";
  ASSERT_TRUE(LoadLines(Concat(Head(), {"D:", comment, "7", comment, "DEND:"})));
  ASSERT_EQ(ch0.buffer.Count, 1);
  EXPECT_EQ(ch0.codes[0], 7);
  const std::string huge = ";" + std::string(100000, ':');
  ASSERT_TRUE(LoadLines(Concat(Concat({huge}, Head()), {huge, "D:", huge, "8", "DEND:"})));
  EXPECT_EQ(ch0.codes[0], 8);
}

TEST_F(LoadTest, AnOverlongLineIsOneLineThatNeverParses) {
  // A settings or data line far past any real length fails instead of being split.
  const std::string spaces(LineReader::kMaxLine, ' ');
  auto lines = Concat(Head(), {"D:", spaces + "5", "DEND:"});
  EXPECT_FALSE(LoadLines(lines));
  ExpectUntouched();
  lines = Concat(Head(), {"D:", "DEND:"});
  lines[2] = "spsSel:" + spaces + "3";
  EXPECT_FALSE(LoadLines(lines));
  // 300 characters are still an ordinary line.
  lines[2] = "spsSel:" + std::string(300, ' ') + "3";
  ASSERT_TRUE(LoadLines(lines));
  EXPECT_EQ(settings.spsSel, 3);
  // In a marker search it counts as one line.
  std::vector<std::string> search = {"VELQORIS_DataFile:", std::string(10000, 'M')};
  const auto head = Head();
  search = Concat(search, std::vector<std::string>(head.begin() + 1, head.end()));
  EXPECT_TRUE(LoadLines(Concat(search, {"D:", "DEND:"})));
}

}  // namespace
}  // namespace velqoris::testing
