// compare: several logs (a CSV, each board of an HDF5 log) or data files,
// their noise and stability figures side by side, one column per channel.
#include <QApplication>
#include <QByteArray>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "analysis/Channel_analysis.h"
#include "analysis/Figure_rows.h"
#include "analysis/Figures_json.h"
#include "analysis/Stability_rows.h"
#include "cli/Analysis_report.h"
#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/Stability_report.h"
#include "plots/Png_file.h"
#include "plots/Stability_picture.h"
#include "session/Log_reader.h"
#ifdef VELQORIS_HAVE_HDF5
#include "h5log/H5_log_reader.h"
#endif

namespace velqoris::cli {

namespace {

struct Column {
  std::string heading;  // file name, board serial, channel
  analysis::NoiseFigures noise;
  analysis::StabilityAnalysis stability;
};

void AddColumns(const LogRecord& r, const std::string& name, std::vector<Column>& columns) {
  const MeasureSettings settings = SettingsOf(r);
  for (int ch = 0; ch < 2; ++ch) {
    if (!r.HasChannel(ch)) continue;
    const int n = static_cast<int>(std::min<std::int64_t>(r.Count(ch), 2147483647));
    columns.push_back({name + " " + analysis::ChannelName(ch),
                       analysis::AnalyzeChannelNoise(r.codes[ch].data(), n, settings).figures,
                       analysis::AnalyzeStability(r, ch)});
  }
}

// The columns of one file; the exit code and message when it cannot be read.
int ReadColumns(const std::string& path, std::vector<Column>& columns, std::ostream& err) {
  const std::string name = std::filesystem::path(path).filename().string();
#ifdef VELQORIS_HAVE_HDF5
  if (h5log::HasHdf5Signature(path)) {
    const h5log::H5ReadResult r = h5log::ReadH5Log(path);
    if (r.status != h5log::H5ReadStatus::kOk) {
      err << h5log::H5ReadMessage(r, path) << '\n';
      return kExitBadFile;
    }
    for (const h5log::H5BoardLog& b : r.boards) {
      AddColumns(b.record, r.boards.size() > 1 ? name + " [" + b.header.serial + "]" : name,
                 columns);
    }
    return kExitOk;
  }
#endif
  const LogReadResult r = ReadLogFile(path);
  if (r.status != LogReadStatus::kOk) {
    err << LogReadMessage(r, path) << '\n';
    return kExitBadFile;
  }
  AddColumns(r.record, name, columns);
  return kExitOk;
}

std::string Padded(const std::string& s, std::size_t width) {
  // Japanese text is two columns wide per character on a terminal: count by display width.
  std::size_t shown = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    shown += len >= 3 ? 2 : 1;
    i += len;
  }
  return s + std::string(width > shown ? width - shown : 1, ' ');
}

std::string SideBySide(const std::vector<Column>& columns) {
  std::vector<std::vector<analysis::FigureRow>> rows;
  for (const Column& c : columns) {
    auto r = analysis::NoiseFigureRows(c.noise);
    const auto s = analysis::StabilityFigureRows(c.stability);
    r.insert(r.end(), s.begin(), s.end());
    rows.push_back(std::move(r));
  }
  std::string text = Padded("", 34);
  for (const Column& c : columns) text += Padded(c.heading, 28);
  text += '\n';
  for (std::size_t k = 0; k < rows.front().size(); ++k) {
    text += Padded(rows.front()[k].label, 34);
    for (const auto& r : rows) {
      text += Padded(k < r.size() ? r[k].value + " " + r[k].unit : "", 28);
    }
    text += '\n';
  }
  return text;
}

std::string JsonText(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int RunCompare(const Options& options, std::ostream& out, std::ostream& err) {
  std::vector<Column> columns;
  for (const std::string& path : options.files) {
    if (const int code = ReadColumns(path, columns, err); code != kExitOk) return code;
  }
  if (columns.empty()) {
    err << "比べるデータがありません\n";
    return kExitBadFile;
  }
  if (options.json) {
    out << "[";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      out << (i > 0 ? ",\n " : "") << "{\"name\": " << JsonText(columns[i].heading)
          << ", \"noise\": "
          << analysis::NoiseChannelJson(columns[i].stability.channel, columns[i].noise)
          << ", \"stability\": " << StabilityChannelJson(columns[i].stability) << "}";
    }
    out << "]\n";
  } else {
    out << SideBySide(columns);
  }
  out << std::flush;
  if (options.png.empty()) return kExitOk;
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  static char programName[] = "velqoris-cli";
  static char* argv[] = {programName, nullptr};
  static int argc = 1;
  const QApplication app(argc, argv);
  std::vector<analysis::StabilityAnalysis> all;
  for (const Column& c : columns) all.push_back(c.stability);
  if (!SavePng(StabilityPicture(all), options.png)) {
    err << "PNG ファイルに書き込めませんでした: " << options.png << '\n';
    return kExitOutput;
  }
  return kExitOk;
}

}  // namespace velqoris::cli
