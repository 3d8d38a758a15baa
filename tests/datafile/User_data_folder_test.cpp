#include "datafile/User_data_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velqoris {
namespace {

struct FolderCase {
  std::map<std::string, std::string> environment;
  std::string folder;
};

EnvironmentLookup From(const std::map<std::string, std::string>& values) {
  return [values](const char* name) -> std::optional<std::string> {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

class UserDataFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(UserDataFolderTest, FollowsTheSystemsConvention) {
  EXPECT_EQ(UserDataFolder(From(GetParam().environment)), GetParam().folder);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    Windows, UserDataFolderTest,
    ::testing::Values(FolderCase{{{"LOCALAPPDATA", "C:\\Users\\山田\\AppData\\Local"},
                                  {"APPDATA", "R"}},
                                 "C:\\Users\\山田\\AppData\\Local\\VELQORIS"},
                      FolderCase{{{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}}, ""},
                      FolderCase{{{"LOCALAPPDATA", ""}}, ""}));

// The value reaches the program as UTF-8 whatever the local code page.
TEST(ProcessEnvironmentTest, ReadsWideValuesAsUtf8) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"VELQORIS_TEST_FOLDER", L"C:\\\u6e2c\u5b9a"));
  EXPECT_EQ(ProcessEnvironment("VELQORIS_TEST_FOLDER"), std::string("C:\\測定"));
  ::SetEnvironmentVariableW(L"VELQORIS_TEST_FOLDER", nullptr);
  EXPECT_EQ(ProcessEnvironment("VELQORIS_TEST_FOLDER"), std::nullopt);
}
#else
INSTANTIATE_TEST_SUITE_P(
    Linux, UserDataFolderTest,
    ::testing::Values(
        FolderCase{{{"XDG_DATA_HOME", "/data/山田"}, {"HOME", "/home/u"}}, "/data/山田/velqoris"},
        FolderCase{{{"XDG_DATA_HOME", "relative"}, {"HOME", "/home/u"}},
                   "/home/u/.local/share/velqoris"},
        FolderCase{{{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.local/share/velqoris"},
        FolderCase{{}, ""}));

TEST(ProcessEnvironmentTest, ReadsTheProcesssEnvironment) {
  ASSERT_EQ(::setenv("VELQORIS_TEST_FOLDER", "/tmp/測定", 1), 0);
  EXPECT_EQ(ProcessEnvironment("VELQORIS_TEST_FOLDER"), std::string("/tmp/測定"));
  ::unsetenv("VELQORIS_TEST_FOLDER");
  EXPECT_EQ(ProcessEnvironment("VELQORIS_TEST_FOLDER"), std::nullopt);
}
#endif

}  // namespace
}  // namespace velqoris
