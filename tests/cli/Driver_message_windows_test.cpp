// Without FTDI's driver a board cannot be found on Windows: the tool says
// that the driver did not load, not merely that no board was found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "datafile/Utf8_path.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

TEST(CliDriverTest, AMissingOrIncompleteDriverIsNamedAsSuch) {
  struct Case {
    const char* dll;  // null: no FTD2XX.DLL anywhere on the path
    const char* text;
    bool named;
  };
  std::wstring path(32768, L'\0');
  path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32768));
  for (const Case& c : {Case{nullptr, "D2XX ドライバ (FTD2XX.DLL) を読み込めませんでした", true},
                        Case{VELQORIS_FAKE_FTD2XX_INCOMPLETE, "必要な関数がありません", true},
                        Case{VELQORIS_FAKE_FTD2XX, "VELQORIS が応答しませんでした", false}}) {
    SCOPED_TRACE(c.dll == nullptr ? "none" : c.dll);
    std::wstring folders = path;
    if (c.dll != nullptr) {
      folders = PathFromUtf8(c.dll).parent_path().make_preferred().native() + L";" + path;
    }
    ::SetEnvironmentVariableW(L"PATH", folders.c_str());
    const CliResult r = RunCli({"measure", "--count", "100"});
    ::SetEnvironmentVariableW(L"PATH", path.c_str());
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_TRUE(Has(r.err, c.text)) << r.err;
    EXPECT_EQ(Has(r.err, "FTDI 社"), c.named) << r.err;
  }
}

}  // namespace
}  // namespace velqoris::testing
