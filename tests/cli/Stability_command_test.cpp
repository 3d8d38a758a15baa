// velqoris-cli stability end to end on log CSVs: the exact JSON keys, figures
// from theory, the Allan CSV and PNG, failures; analyze on a log.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cmath>
#include <cstdio>
#include <regex>

#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

// A one-channel log at 100 sps, gain 1, rising by `slope` codes a sample
// (an exact drift: its Allan deviation is slope·m/√2), with a gap note.
std::string WriteLog(const TempDir& dir, int rows, int slope) {
  const std::string path = dir.Path("log.csv");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("# rate 100 sps, gain 1\nsample,time_s,ch0_code,ch0_uV\n", f);
  for (int i = 0; i < rows; ++i) {
    const int code = 8388608 + slope * i;
    std::fprintf(f, "%d,%.6f,%d,%.9g\n", i + 1, i / 100.0, code,
                 (code - 8388608) * 2500000.0 / 8388607.0);
  }
  std::fclose(f);
  return path;
}

std::vector<std::string> Keys(const std::string& json) {
  std::vector<std::string> keys;
  const std::regex key(R"xx("([A-Za-z0-9_]+)": )xx");
  for (auto k = std::sregex_iterator(json.begin(), json.end(), key); k != std::sregex_iterator();
       ++k) {
    keys.push_back((*k)[1]);
  }
  return keys;
}

double Value(const std::string& json, const std::string& key) {
  const std::regex pair("\"" + key + "\": ([^,}]+)");
  std::smatch m;
  EXPECT_TRUE(std::regex_search(json, m, pair)) << key;
  return m[1] == "null" ? NAN : std::stod(m[1]);
}

TEST(StabilityCommand, JsonKeysAndFiguresOfAnExactDrift) {
  TempDir dir;
  const std::string log = WriteLog(dir, 4000, 3);
  const auto r =
      RunCli({"stability", log, "--json", "--csv", dir.Path("a.csv"), "--png", dir.Path("a.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // m = 1 … 512 ≤ 4000/4: ten averaging times.
  std::vector<std::string> expected = {"channels",
                                       "channel",
                                       "n",
                                       "rate_sps",
                                       "gain",
                                       "duration_s",
                                       "gaps",
                                       "gap_seconds",
                                       "figures_refused",
                                       "excluded",
                                       "over_range_samples",
                                       "longest_stretch_only",
                                       "line_bins",
                                       "drift_uV_per_hour",
                                       "drift_stderr_uV_per_hour",
                                       "drift_codes_per_hour",
                                       "drift_stderr_codes_per_hour",
                                       "adev"};
  const std::vector<std::string> deviation = {"adev_codes", "adev_low_codes", "adev_high_codes",
                                              "adev_nV",    "adev_low_nV",    "adev_high_nV"};
  for (int i = 0; i < 10; ++i) {
    expected.insert(expected.end(), {"tau_s", "m", "adev_uV"});
    expected.insert(expected.end(), deviation.begin(), deviation.end());
    expected.insert(expected.end(), {"terms", "edf", "noise_alpha"});
  }
  expected.insert(expected.end(), {"adev_min_nV", "tau_at_min_s", "adev_min", "tau_s"});
  expected.insert(expected.end(), deviation.begin(), deviation.end());
  expected.insert(
      expected.end(),
      {"edf", "white_density_nV_rtHz", "white_density_codes_rtHz", "flicker_corner_hz",
       "flicker_corner_err_hz", "corner_hidden_below_hz", "spectrum_segment_length",
       "spectrum_segments", "spectrum_bin_hz", "noise_0p1_10hz_rms_nV", "noise_0p1_10hz_rms_codes",
       "noise_0p1_10hz_pp_nV", "noise_0p1_10hz_pp_codes", "noise_0p1_10hz_pp_mean_nV",
       "noise_0p1_10hz_pp_mean_codes", "noise_0p1_10hz_pp_windows"});
  EXPECT_EQ(Keys(r.out), expected) << r.out;
  const double uvPerCode = 2500000.0 / 8388607.0;
  // JSON numbers carry 10 significant digits.
  const auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-9 * std::fabs(b); };
  EXPECT_TRUE(near(Value(r.out, "drift_uV_per_hour"), 3 * 100 * 3600 * uvPerCode));
  EXPECT_TRUE(near(Value(r.out, "adev_uV"), 3 * uvPerCode / std::sqrt(2.0)));  // τ0
  EXPECT_TRUE(near(Value(r.out, "adev_min_nV"), 3 * uvPerCode * 1000 / std::sqrt(2.0)));
  EXPECT_NEAR(Value(r.out, "duration_s"), 40.0, 1e-9);
  const auto csv = Lines(ReadFile(dir.Path("a.csv")));
  ASSERT_EQ(csv.size(), 11u);
  EXPECT_EQ(csv[0],
            "channel,tau_s,adev_codes,adev_low_codes,adev_high_codes,adev_uV,adev_nV,adev_low_nV,"
            "adev_high_nV,terms,edf,noise_alpha");
  EXPECT_EQ(csv[1].rfind("0,0.01,", 0), 0u) << csv[1];
  QImage png;
  ASSERT_TRUE(png.load(QString::fromStdString(dir.Path("a.png"))));
  EXPECT_EQ(png.width(), 760);
}

struct Failure {
  const char* name;
  std::vector<std::string> extra;
  std::string content;  // written as the file
  int exitCode;
  const char* message;
};

class StabilityFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(StabilityFailure, SaysWhatIsWrongAndWritesNothing) {
  const Failure& f = GetParam();
  TempDir dir;
  const std::string path = dir.Path("in.csv");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fputs(f.content.c_str(), file);
  std::fclose(file);
  std::vector<std::string> args = {"stability", path, "--csv", dir.Path("out.csv")};
  args.insert(args.end(), f.extra.begin(), f.extra.end());
  const auto r = RunCli(args);
  EXPECT_EQ(r.exitCode, f.exitCode) << f.name;
  EXPECT_NE(r.err.find(f.message), std::string::npos) << f.name << ": " << r.err;
  EXPECT_TRUE(ReadFile(dir.Path("out.csv")).empty()) << f.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, StabilityFailure,
    ::testing::Values(
        Failure{
            "not a log", {}, "hello\n", 4, "ログの CSV ファイルでもデータファイルでもありません"},
        Failure{
            "bad row", {}, "sample,time_s,ch0_code,ch0_uV\n1,0,abc,0\n", 4, "2 行目が読めません"},
        Failure{"no such channel",
                {"--channel", "1"},
                "sample,time_s,ch0_code,ch0_uV\n1,0,8388608,0\n",
                4,
                "CH1 のデータがありません"},
        Failure{"channel 2", {"--channel", "2"}, "", 1, "--channel の値 \"2\" は選べません"},
        Failure{"time going back",
                {},
                "sample,time_s,ch0_code\n1,0.5,8388608\n2,0.4,8388608\n",
                4,
                "3 行目で時刻 (time_s) が戻っています"},
        Failure{"stated rate against time_s",
                {},
                "# rate_sps: 50\nsample,time_s,ch0_code\n1,0,8388608\n2,0.01,8388608\n",
                4,
                "データレート 50 sps と時刻 (time_s) から求めたレート 100 sps"}));

TEST(StabilityCommand, AShortLogHasNoAllanPointAndNullFigures) {
  TempDir dir;
  const auto r = RunCli({"stability", WriteLog(dir, 4, 1), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"adev\": []"), std::string::npos) << r.out;
  EXPECT_TRUE(std::isnan(Value(r.out, "adev_min_nV")));
  EXPECT_TRUE(std::isnan(Value(r.out, "noise_0p1_10hz_pp_nV")));
}

// A shorted input without settings lines: the gain from the rows' µV, so the
// figures come in nV; the JSON has them in codes too.
TEST(StabilityCommand, AQuietLogWithoutSettingsHasItsMicrovolts) {
  TempDir dir;
  const std::string path = dir.Path("quiet.csv");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("\xEF\xBB\xBFsample,time_s,ch0_code,ch0_uV\n", f);
  for (int i = 0; i < 3000; ++i) {
    const int offset = (i * 37) % 29 - 14;
    std::fprintf(f, "%d,%.6f,%d,%.9g\n", i + 1, i / 100.0, 8388608 + offset,
                 static_cast<double>(static_cast<float>(offset * 2500000.0 / 8388607.0 / 128)));
  }
  std::fclose(f);
  const auto r = RunCli({"stability", path, "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Value(r.out, "gain"), 128);
  const double codes = Value(r.out, "adev_codes");
  EXPECT_NEAR(Value(r.out, "adev_nV"), codes * 2.5e9 / 8388607.0 / 128, 1e-6 * codes);
}

TEST(AnalyzeCommand, ReadsAWholeLogCsv) {
  TempDir dir;
  const auto r = RunCli({"analyze", WriteLog(dir, 20000, 1), "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Value(r.out, "count"), 20000);
  EXPECT_NEAR(Value(r.out, "mean_code"), 8388608 + 19999 / 2.0, 1e-6);
}

}  // namespace
}  // namespace velqoris::testing
