#include "session/Run_summary.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <system_error>

#include "datafile/Utf8_path.h"
#include "session/Held_data.h"

namespace velqoris {

std::string SettingsSummary(const MeasureSettings& s, int count) {
  std::string text = s.CHSel == 2 ? "CH0 + CH1" : (s.CHSel == 1 ? "CH1" : "CH0");
  if (const auto rate = DataRate(s.spsSel)) text += " / " + std::to_string(*rate) + " sps";
  text += " / " + std::to_string(count) + " 点";
  if (const auto gain = GainOf(s.GainSel)) text += " / ゲイン " + std::to_string(*gain);
  text += s.fSinc4 == 1 ? " / Sinc4" : " / Sinc3";
  text += s.fBUF_ON == 1 ? " / BUF ON" : " / BUF OFF";
  text += s.fCHOP_ON == 1 ? " / CHOP ON" : " / CHOP OFF";
  return text;
}

namespace {

std::string WhenOf(const std::filesystem::path& path) {
  const std::string name = Utf8FromPath(path.filename());
  static const std::regex kHistoryName(R"((\d{4}-\d\d-\d\d)_(\d\d)-(\d\d)-(\d\d)(_\d+)?\.DTA)");
  std::smatch m;
  if (!std::regex_match(name, m, kHistoryName)) return name;
  return m[1].str() + " " + m[2].str() + ":" + m[3].str() + ":" + m[4].str();
}

}  // namespace

RunSummary SummariseRun(const std::string& path) {
  RunSummary summary;
  summary.path = path;
  summary.when = WhenOf(PathFromUtf8(path));
  HeldData held;
  if (!held.Load(path)) return summary;
  held.Compute();
  summary.readable = true;
  summary.settings = held.data.Settings;
  summary.count = std::max(held.data.fCH0Data ? held.data.Ch0.Count : 0,
                           held.data.fCH1Data ? held.data.Ch1.Count : 0);
  summary.codeLines = held.StatsLines(false);
  summary.voltLines = held.StatsLines(true);
  return summary;
}

std::vector<std::string> RunFilesNewestFirst(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder), error)) {
    if (entry.is_regular_file(error) && entry.path().extension() == ".DTA") {
      files.push_back(entry.path());
    }
  }
  // History names are times; "_2" … of one second sort after the plain name.
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    const auto key = [](const std::filesystem::path& p) {
      std::string s = p.stem().string();
      if (s.size() == 19) s += "_1";
      return s;
    };
    return key(a) > key(b);
  });
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(Utf8FromPath(f));
  return paths;
}

}  // namespace velqoris
