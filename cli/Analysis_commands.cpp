// analyze, spectrum and stability: a data file loaded as the window loads it
// (analyze and stability also read a log CSV), its figures as Japanese text
// or JSON, with optional pictures and CSV.
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <string_view>

#include "analysis/Channel_analysis.h"
#include "analysis/Spectrum.h"
#include "analysis/Stability_analysis.h"
#include "cli/Analysis_report.h"
#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/No_data.h"
#include "cli/Output_file.h"
#include "cli/Stability_report.h"
#include "datafile/Regular_file.h"
#include "message/Message_text.h"
#include "plots/Analysis_pictures.h"
#include "plots/Png_file.h"
#include "plots/Stability_picture.h"
#include "session/Held_data.h"
#include "session/Log_analysis.h"
#include "session/Log_reader.h"

namespace velqoris::cli {

namespace {

// Drawing needs the GUI but no screen: an application off screen, for the
// drawing only, unless the process already has one.
int SavePicture(const std::function<QImage()>& draw, const std::string& path, std::ostream& err) {
  std::optional<QApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static char programName[] = "velqoris-cli";
    static char* argv[] = {programName, nullptr};
    static int argc = 1;
    app.emplace(argc, argv);
  }
  const QImage picture = draw();
  if (int error = 0; !SavePng(picture, path, &error)) {
    err << OutputNotWrittenMessage("PNG", path, error) << '\n';
    return kExitOutput;
  }
  return kExitOk;
}

std::string CsvNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

int SaveSpectrumCsv(const RunData& data, analysis::SpectrumWindow window, const std::string& path,
                    std::ostream& err) {
  std::vector<std::pair<int, analysis::Spectrum>> spectra;
  std::size_t rows = 0;
  for (const HeldChannel& c : HeldChannels(data)) {
    spectra.emplace_back(c.channel,
                         analysis::ComputeSpectrum(c.codes, c.count, data.Settings, window));
    rows = std::max(rows, static_cast<std::size_t>(spectra.back().second.Bins()));
  }
  std::ostringstream csv;
  {
    csv << "frequency_Hz";
    for (const auto& [ch, s] : spectra) csv << ",ch" << ch << "_dBFS,ch" << ch << "_nV_rtHz";
    csv << '\n';
    for (std::size_t k = 0; k < rows; ++k) {
      const analysis::Spectrum& first = spectra.front().second;
      const auto hz = first.FrequencyHz(static_cast<int>(k));
      csv << (hz ? CsvNumber(*hz) : std::string());
      for (const auto& [ch, s] : spectra) {
        csv << ',';
        // A bin at the floor placeholder holds no power: its level does not exist.
        if (k < s.dbfs.size() && s.dbfs[k] > analysis::kFloorDbfs) csv << CsvNumber(s.dbfs[k]);
        csv << ',';
        if (k < s.densityNvRtHz.size()) csv << CsvNumber(s.densityNvRtHz[k]);
      }
      csv << '\n';
    }
  }
  return WriteOutputFile("CSV", path, csv.str(), err) ? kExitOk : kExitOutput;
}

// Loads the file; the exit code when it cannot be analysed (nothing written then).
int LoadHeld(HeldData& held, const Options& options, std::ostream& err) {
  if (!OutputsSpareInput(options.file, {options.png, options.csv}, err)) return kExitOutput;
  if (!OutputsAllowed({{"PNG", options.png}, {"CSV", options.csv}}, options.force, err))
    return kExitOutput;
  if (!held.Load(options.file)) {
    err << FileFaultMessage(held.fault, options.file) << '\n';
    return kExitBadFile;
  }
  if (!held.data.HasData()) return NoData(options.file, err);
  return kExitOk;
}

// A log CSV read whole; the exit code when it cannot be (nothing written then).
int LoadLog(LogReadResult& log, const Options& options, std::ostream& err) {
  if (!OutputsSpareInput(options.file, {options.png, options.csv}, err)) return kExitOutput;
  if (!OutputsAllowed({{"PNG", options.png}, {"CSV", options.csv}}, options.force, err))
    return kExitOutput;
  log = ReadLogFile(options.file, options.device);
  if (log.status != LogReadStatus::kOk) {
    err << LogReadMessage(log, options.file) << '\n';
    return kExitBadFile;
  }
  if (log.cutLine > 0) err << CutRowNote(log) << ": " << options.file << '\n';
  return kExitOk;
}

// A log begins with its settings lines or its header, or is an HDF5 file;
// anything else is taken
// for a data file and read (and refused) as one. Only the start of a regular
// file is looked at: a FIFO or a device is refused by the data file's reader.
bool IsLogCsv(const std::string& path) {
  const OpenedFile file = OpenRegularFile(path);
  if (file.stream == nullptr) return false;
  char start[16] = {};
  const std::size_t got = std::fread(start, 1, sizeof start, file.stream);
  std::fclose(file.stream);
  std::string_view first(start, got);
  if (first.starts_with("\xEF\xBB\xBF")) first.remove_prefix(3);  // a byte-order mark
  return first.starts_with("#") || first.starts_with("sample,") || first.starts_with("\x89HDF\r\n");
}

// spectrum on a log: the averaged spectrum of the whole log, as the analysis window's.
int SpectrumLog(const Options& options, std::ostream& out, std::ostream& err) {
  if (!options.png.empty() || !options.csv.empty()) {
    err << "velqoris-cli: ログのスペクトルは表示だけです (--png と --csv "
           "はデータファイルに使えます)\n";
    return kExitUsage;
  }
  const LogAnalysis log = AnalyzeLogFile(options.file, options.device);
  if (log.status != LogReadStatus::kOk) {
    err << log.message << '\n';
    return kExitBadFile;
  }
  out << (options.json ? LogSpectrumJson(log) : LogSpectrumText(log)) << std::flush;
  return kExitOk;
}

// The JSON of a log's figures carries the cut last row that was left out.
std::string WithCutRow(std::string json, const LogReadResult& log) {
  if (log.cutLine > 0 && json.starts_with("{"))
    json.insert(1, "\"cut_last_row_line\": " + std::to_string(log.cutLine) + ", ");
  return json;
}

// analyze on a log: the noise figures and histogram of the whole log.
int AnalyzeLog(const Options& options, std::ostream& out, std::ostream& err) {
  LogReadResult log;
  if (const int code = LoadLog(log, options, err); code != kExitOk) return code;
  const MeasureSettings settings = SettingsOf(log.record);
  std::vector<HeldChannel> channels;
  for (int ch = 0; ch < 2; ++ch) {
    if (!log.record.HasChannel(ch)) continue;
    channels.push_back({ch, log.record.codes[ch].data(), static_cast<int>(log.record.Count(ch))});
  }
  out << (options.json ? WithCutRow(NoiseJson(channels, settings), log)
                       : NoiseText(channels, settings))
      << std::flush;
  if (options.png.empty()) return kExitOk;
  return SavePicture([&] { return HistogramPicture(channels, settings, options.volt); },
                     options.png, err);
}

}  // namespace

int RunAnalyze(const Options& options, std::ostream& out, std::ostream& err) {
  if (IsLogCsv(options.file)) return AnalyzeLog(options, out, err);
  HeldData held;
  if (const int code = LoadHeld(held, options, err); code != kExitOk) return code;
  out << (options.json ? NoiseJson(held.data) : NoiseText(held.data)) << std::flush;
  if (options.png.empty()) return kExitOk;
  return SavePicture([&] { return HistogramPicture(held.data, options.volt); }, options.png, err);
}

int RunSpectrum(const Options& options, std::ostream& out, std::ostream& err) {
  if (IsLogCsv(options.file)) return SpectrumLog(options, out, err);
  HeldData held;
  if (const int code = LoadHeld(held, options, err); code != kExitOk) return code;
  const RunData& data = held.data;
  out << (options.json ? SpectrumJson(data, options.window) : SpectrumText(data, options.window))
      << std::flush;
  if (!options.csv.empty()) {
    if (const int code = SaveSpectrumCsv(data, options.window, options.csv, err); code != kExitOk)
      return code;
  }
  if (options.png.empty()) return kExitOk;
  return SavePicture([&] { return SpectrumPicture(data, options.window); }, options.png, err);
}

int RunStability(const Options& options, std::ostream& out, std::ostream& err) {
  LogReadResult log;
  if (const int code = LoadLog(log, options, err); code != kExitOk) return code;
  const std::vector<analysis::StabilityAnalysis> channels = analysis::AnalyzeStabilityChannels(
      log.record, options.logChannel >= 0 ? std::optional(options.logChannel) : std::nullopt);
  if (channels.empty()) {
    err << "CH" << options.logChannel << " のデータがありません: " << options.file << '\n';
    return kExitBadFile;
  }
  out << (options.json ? WithCutRow(StabilityJson(channels), log) : StabilityText(channels))
      << std::flush;
  if (!options.csv.empty() && !WriteOutputFile("CSV", options.csv, AllanCsv(channels), err))
    return kExitOutput;
  if (options.png.empty()) return kExitOk;
  return SavePicture([&] { return StabilityPicture(channels); }, options.png, err);
}

}  // namespace velqoris::cli
