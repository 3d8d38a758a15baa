// Files no data file reader should take, and what each reader does with
// them: a clear refusal that names the file (and the line, where there is
// one), in bounded time and memory, and nothing half read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "datafile/Appending_file.h"
#include "datafile/Myfile.h"
#include "datafile/Regular_file.h"
#include "datafile/Replacing_file.h"
#include "tests/datafile/Data_file_fixture.h"
#include "tests/support/Fault_tools.h"

namespace velqoris::testing {
namespace {

using Kind = FileFault::Kind;
using namespace std::chrono_literals;

class HostileFileTest : public DataFileTest {
 protected:
  FileFault Load(const std::string& path) {
    Channel ch0;
    Channel ch1;
    MeasureSettings settings;
    TmyFile file(nullptr);
    FileFault fault;
    const bool ended = EndsWithin(60s, [&] {
      EXPECT_FALSE(file.LoadData(path, &settings, &ch0.buffer, &ch1.buffer));
      fault = file.LastFault();
    });
    if (!ended) {
      ADD_FAILURE() << "the load of " << path << " did not end";
      std::_Exit(1);  // a reader hung on the file: nothing else can be trusted
    }
    EXPECT_EQ(ch0.buffer.Count, 0);
    EXPECT_EQ(ch1.buffer.Count, 0);
    return fault;
  }
};

TEST_F(HostileFileTest, SpecialFilesAreRefusedAtOnceForWhatTheyAre) {
#ifndef _WIN32
  const std::string fifo = PathOf("fifo.DTA");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    Kind kind;
    int error;
  } cases[] = {
      {fifo, Kind::NotRegular, 0},              // no writer: an open would wait for ever
      {"/dev/zero", Kind::NotRegular, 0},       // never ends
      {"/dev/urandom", Kind::NotRegular, 0},    // never ends either, and is no text
      {PathOf(""), Kind::NotReadable, EISDIR},  // a folder, named as one
      {PathOf("missing.DTA"), Kind::NotFound, ENOENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    struct stat info {};
    if (c.path.starts_with("/dev/") &&
        (::stat(c.path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)))
      continue;  // a machine whose device is something else
    const FileFault fault = Load(c.path);
    EXPECT_EQ(fault.kind, c.kind);
    EXPECT_EQ(fault.error, c.error);
    const OpenedFile opened = OpenRegularFile(c.path);
    EXPECT_EQ(opened.stream, nullptr);
    EXPECT_EQ(opened.fault.kind, c.kind);
  }
#endif
}

TEST_F(HostileFileTest, HostileContentsAreRefusedWithTheLineInBoundedMemory) {
  const std::string head = Lines(Head());
  const struct {
    const char* name;
    std::string bytes;
    std::int64_t line;  // the line named; 0 = none
  } cases[] = {
      {"long line", head + "D:\n" + std::string(8 << 20, '7') + "\nDEND:\n", 12},
      {"NUL in a code",
       head + std::string("D:\n88\0"
                          "86\nDEND:\n",
                          13),
       12},
      {"cut before DEND:", head + "D:\n8388608\n83", 13},
      {"code above 24 bits", head + "D:\n8388608\n16777216\nDEND:\n", 13},
      {"UTF-16", std::string("\xFF\xFEV\0E\0L\0", 8), 1},
      {"one line of 64 MB and more", std::string(TmyFile::kMaxLoadBytes + 1, 'x'), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("bad.DTA", c.bytes);
    const FileFault fault = Load(path);
    EXPECT_EQ(fault.kind, Kind::BadContents);
    EXPECT_EQ(fault.line, c.line);
    // The reader keeps a line of at most a few kB, whatever the file holds.
    const long growth = GrowthKilobytesOf([&] { Load(path); });
    if (growth >= 0) {
      EXPECT_LT(growth, 4 * 1024) << "kB";
    }
  }
}

TEST_F(HostileFileTest, AByteOrderMarkFromAnEditorIsNoPartOfTheFirstLine) {
  Channel ch0;
  Channel ch1;
  MeasureSettings settings;
  TmyFile file(nullptr);
  const std::string path =
      Write("bom.DTA", "\xEF\xBB\xBF" + Lines(Concat(Head(), {"D:", "8388608", "DEND:"}), "\r\n"));
  ASSERT_TRUE(file.LoadData(path, &settings, &ch0.buffer, &ch1.buffer));
  EXPECT_EQ(ch0.buffer.Count, 1);
}

// Writers on a disk that fills up: whole lines or the old file, and the reason.
TEST_F(HostileFileTest, AFullDiskLeavesWholeLinesOrTheOldFile) {
  SmallDisk disk(64);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  const std::string old = disk.Path("old.csv");
  ASSERT_EQ(ReplaceWholeFile(old, "the old file\n"), 0);
  disk.FillLeaving(6000);
  // Replaced whole or not at all.
  EXPECT_EQ(ReplaceWholeFile(old, std::string(200000, 'n')), ENOSPC);
  EXPECT_EQ(Read(old), "the old file\n");

  // Appended line by line: what does not fit is cut back to its last whole line.
  AppendingFile log;
  ASSERT_TRUE(log.Create(disk.Path("log.csv")));
  std::string rows;
  for (int i = 0; i < 2000; ++i) rows += "row," + std::to_string(i) + "\n";
  const std::size_t kept = log.Append(rows);
  EXPECT_LT(kept, rows.size());
  EXPECT_EQ(log.Error(), ENOSPC);
  EXPECT_FALSE(log.Close());
  const std::string inFile = Read(disk.Path("log.csv"));
  EXPECT_TRUE(inFile == rows.substr(0, kept)) << inFile.size() << " bytes, " << kept << " kept";
  ASSERT_FALSE(inFile.empty());
  EXPECT_EQ(inFile.back(), '\n');
}

}  // namespace
}  // namespace velqoris::testing
