// The HDF5 log's writer and reader against each other: boards, channels,
// gaps and the committed rows; files the reader must refuse, each named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "datafile/Utf8_path.h"
#include "h5log/H5_handle.h"
#include "h5log/H5_log_reader.h"
#include "h5log/H5_log_writer.h"
#include "tests/support/Temp_files.h"

namespace velqoris::h5log {
namespace {

H5BoardHeader Header(const std::string& serial, bool ch0, bool ch1) {
  H5BoardHeader h;
  h.serial = serial;
  h.boardLine = "VELQORIS / 1.00";
  h.start = "2026-12-08T13:05:00+09:00";
  h.startUnixNs = 1796702700000000000;
  h.rateSps = 4800;
  h.gain = 128;
  h.sinc4 = false;
  h.chop = true;
  h.channel[0] = ch0;
  h.channel[1] = ch1;
  h.microvoltsPerCode = 2500000.0 / 8388607.0 / 128;
  return h;
}

std::vector<std::int32_t> Ramp(int n, std::int32_t from) {
  std::vector<std::int32_t> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = from + i * 3;
  return v;
}

TEST(H5Log, TwoBoardsWithTheirChannelsAndGapsReadBack) {
  testing::TempDir dir;
  const std::string path = dir.Path("log.h5");
  H5LogWriter w;
  ASSERT_TRUE(w.Create(path, "2.10", {Header("A1", true, true), Header("B2", false, true)}));
  const auto a0 = Ramp(9000, 8000000);
  const auto a1 = Ramp(9000, 9000000);
  const auto b1 = Ramp(7000, 100);
  w.Append(0, a0.data(), a1.data(), 5000);
  w.Append(1, nullptr, b1.data(), 7000);
  ASSERT_TRUE(w.Flush());
  w.Gap(0, {5000, 2, 0.0125, 1.05});
  w.Append(0, a0.data() + 5000, a1.data() + 5000, 4000);
  ASSERT_TRUE(w.Close());

  const H5ReadResult r = ReadH5Log(path);
  ASSERT_EQ(r.status, H5ReadStatus::kOk) << r.part;
  ASSERT_EQ(r.boards.size(), 2u);
  const H5BoardLog& a = r.boards[0];
  EXPECT_EQ(a.header.serial, "A1");
  EXPECT_EQ(a.header.start, "2026-12-08T13:05:00+09:00");
  EXPECT_EQ(a.header.startUnixNs, 1796702700000000000);
  EXPECT_EQ(a.rows, 9000);
  EXPECT_EQ(a.record.codes[0], a0);
  EXPECT_EQ(a.record.codes[1], a1);
  EXPECT_EQ(a.record.rateSps, 4800);
  EXPECT_EQ(a.record.gain, 128);
  EXPECT_EQ(a.record.sinc4, false);
  EXPECT_EQ(a.record.chop, true);
  EXPECT_EQ(a.record.buffer, false);
  ASSERT_EQ(a.gaps.size(), 1u);
  EXPECT_EQ(a.gaps[0].startCommand, 2);
  EXPECT_DOUBLE_EQ(a.gaps[0].startSeconds, 1.05);
  ASSERT_EQ(a.record.gaps.size(), 1u);
  EXPECT_EQ(a.record.gaps[0].before, 5000);
  EXPECT_DOUBLE_EQ(a.record.gaps[0].seconds, 0.0125);
  const H5BoardLog& b = r.boards[1];
  EXPECT_EQ(b.header.serial, "B2");
  EXPECT_FALSE(b.record.HasChannel(0));
  EXPECT_EQ(b.record.codes[1], b1);

  const H5ReadResult one = ReadH5Log(path, 1);
  ASSERT_EQ(one.boards.size(), 1u);
  EXPECT_EQ(one.boards[0].header.serial, "B2");
  EXPECT_EQ(ReadH5Log(path, 2).status, H5ReadStatus::kNoBoard);
}

TEST(H5Log, RowsOfOneChannelWithoutTheOtherWaitForIt) {
  testing::TempDir dir;
  const std::string path = dir.Path("log.h5");
  H5LogWriter w;
  ASSERT_TRUE(w.Create(path, "2.10", {Header("A1", true, true)}));
  const auto codes = Ramp(100, 5);
  w.Append(0, codes.data(), nullptr, 100);
  ASSERT_TRUE(w.Flush());
  EXPECT_EQ(w.Rows(0), 0);
  w.Append(0, nullptr, codes.data(), 60);
  ASSERT_TRUE(w.Flush());
  EXPECT_EQ(w.Rows(0), 60);
  ASSERT_TRUE(w.Close());
  EXPECT_EQ(ReadH5Log(path).boards.at(0).rows, 60);
}

// Names are UTF-8 throughout; on Windows a narrow open would take them in the
// local code page and make a file of another name.
TEST(H5Log, AJapaneseFileNameIsTheNameOnDisk) {
  testing::TempDir dir;
  const std::string name = "測定ログ_µV.h5";
  const std::string path = dir.Path(name);
  const auto codes = Ramp(500, 8388000);
  {
    H5LogWriter w;
    ASSERT_TRUE(w.Create(path, "2.10", {Header("A1", true, false)}));
    w.Append(0, codes.data(), nullptr, 500);
    ASSERT_TRUE(w.Close());
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(dir.Path(""))))
    names.push_back(Utf8FromPath(entry.path().filename()));
  EXPECT_EQ(names, std::vector<std::string>{name});
  const H5ReadResult r = ReadH5Log(path);
  ASSERT_EQ(r.status, H5ReadStatus::kOk) << r.part;
  EXPECT_EQ(r.boards.at(0).record.codes[0], codes);
}

// A file written by hand with the HDF5 library, from a root attribute table.
void WriteOddFile(const std::string& path, const std::function<void(hid_t)>& fill) {
  H5Handle file(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT), H5Fclose);
  ASSERT_TRUE(file.Valid());
  fill(file.get());
}

void IntAttr(hid_t owner, const char* name, std::int64_t v, hsize_t count = 1) {
  H5Handle space(H5Screate_simple(1, &count, nullptr), H5Sclose);
  H5Handle a(H5Acreate2(owner, name, H5T_STD_I64LE, space.get(), H5P_DEFAULT, H5P_DEFAULT),
             H5Aclose);
  std::vector<std::int64_t> values(count, v);
  H5Awrite(a.get(), H5T_NATIVE_INT64, values.data());
}

TEST(H5Log, RefusesWhatIsNotAWholeLogAndNamesThePart) {
  testing::TempDir dir;
  const std::string good = dir.Path("good.h5");
  {
    H5LogWriter w;
    ASSERT_TRUE(w.Create(good, "2.10", {Header("A1", true, false)}));
    const auto codes = Ramp(10, 1);
    w.Append(0, codes.data(), nullptr, 10);
    ASSERT_TRUE(w.Close());
  }
  std::ofstream(dir.Path("text.h5")) << "sample,time_s\n";
  std::filesystem::create_directory(dir.Path("folder.h5"));
  WriteOddFile(dir.Path("plain.h5"), [](hid_t) {});
  WriteOddFile(dir.Path("newer.h5"), [](hid_t f) {
    H5Handle type(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(type.get(), H5T_VARIABLE);
    H5Handle space(H5Screate(H5S_SCALAR), H5Sclose);
    H5Handle a(H5Acreate2(f, kFormatAttr, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT),
               H5Aclose);
    const char* name = kFormatName;
    H5Awrite(a.get(), type.get(), &name);
    IntAttr(f, kFormatVersionAttr, kFormatVersion + 1);
    IntAttr(f, kBoardsAttr, 1);
  });
  // The committed count as a long array: read as one value it would overrun.
  std::filesystem::copy_file(good, dir.Path("array.h5"));
  {
    H5Handle f(H5Fopen(dir.Path("array.h5").c_str(), H5F_ACC_RDWR, H5P_DEFAULT), H5Fclose);
    H5Handle g(H5Gopen2(f.get(), "board0", H5P_DEFAULT), H5Gclose);
    H5Adelete(g.get(), kCommittedAttr);
    IntAttr(g.get(), kCommittedAttr, 5, 100000);
  }
  // More committed rows than the dataset holds.
  std::filesystem::copy_file(good, dir.Path("short.h5"));
  {
    H5Handle f(H5Fopen(dir.Path("short.h5").c_str(), H5F_ACC_RDWR, H5P_DEFAULT), H5Fclose);
    H5Handle g(H5Gopen2(f.get(), "board0", H5P_DEFAULT), H5Gclose);
    H5Handle a(H5Aopen(g.get(), kCommittedAttr, H5P_DEFAULT), H5Aclose);
    const std::int64_t rows = 11;
    H5Awrite(a.get(), H5T_NATIVE_INT64, &rows);
  }
  const struct {
    const char* file;
    H5ReadStatus status;
    const char* part;
  } cases[] = {
      {"missing.h5", H5ReadStatus::kCannotOpen, ""},
      {"folder.h5", H5ReadStatus::kCannotOpen, ""},
      {"text.h5", H5ReadStatus::kCannotOpen, ""},
      {"plain.h5", H5ReadStatus::kNotALog, ""},
      {"newer.h5", H5ReadStatus::kNotALog, ""},
      {"array.h5", H5ReadStatus::kBadPart, "board0/committed_rows"},
      {"short.h5", H5ReadStatus::kBadPart, "board0/ch0_code"},
  };
  for (const auto& c : cases) {
    const H5ReadResult r = ReadH5Log(dir.Path(c.file));
    EXPECT_EQ(r.status, c.status) << c.file;
    EXPECT_EQ(r.part, c.part) << c.file;
    EXPECT_TRUE(r.boards.empty()) << c.file;
    EXPECT_NE(H5ReadMessage(r, c.file).find(c.file), std::string::npos);
  }
  EXPECT_EQ(ReadH5Log(good).status, H5ReadStatus::kOk);
}

}  // namespace
}  // namespace velqoris::h5log
