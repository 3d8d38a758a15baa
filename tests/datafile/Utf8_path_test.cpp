// Files in folders with Japanese names, reached through their UTF-8 names:
// opening, existence, writability and size (the wide-character calls on Windows).
#include "datafile/Utf8_path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/Temp_files.h"

namespace velqoris {
namespace {

struct NameCase {
  const char* folder;
  const char* file;
};

class Utf8PathTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(Utf8PathTest, ASizeExistenceAndWritabilityAreThoseOfTheFileNamed) {
  testing::TempDir dir;
  const std::string folder = dir.Path(GetParam().folder);
  std::filesystem::create_directories(PathFromUtf8(folder));
  const std::string name = folder + "/" + GetParam().file;
  EXPECT_FALSE(Utf8PathExists(name));
  EXPECT_EQ(Utf8FileSize(name), std::nullopt);

  std::FILE* f = OpenUtf8(name, "wb");
  ASSERT_NE(f, nullptr);
  const std::string row = "1,0.000000,8388608,0.000\n";
  for (int i = 0; i < 100; ++i) std::fwrite(row.data(), 1, row.size(), f);
  std::fclose(f);

  EXPECT_TRUE(Utf8PathExists(name));
  EXPECT_TRUE(Utf8PathExists(folder));
  EXPECT_TRUE(Utf8FileWritable(name));
  EXPECT_EQ(Utf8FileSize(name), row.size() * 100);
  // A folder has no size of its own here.
  EXPECT_EQ(Utf8FileSize(folder), std::nullopt);
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
}

INSTANTIATE_TEST_SUITE_P(Names, Utf8PathTest,
                         ::testing::Values(NameCase{"測定データ", "記録.csv"},
                                           NameCase{"ｶﾅ と 空白", "ログ 1.DTA"},
                                           NameCase{"plain", "run.csv"},
                                           NameCase{"表/ソ", "能.csv"}),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace velqoris
