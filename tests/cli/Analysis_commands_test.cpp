// velqoris-cli analyze, spectrum and measure --analyze end to end: the exact
// JSON keys, the same figures as the library, pictures, CSV, and failures.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QString>
#include <cmath>
#include <map>
#include <numbers>
#include <regex>

#include "analysis/Channel_analysis.h"
#include "app/Analysis_window.h"
#include "cli/Cli_options.h"
#include "datafile/Myfile.h"
#include "plots/Analysis_pictures.h"
#include "plots/Histogram_view.h"
#include "plots/Spectrum_view.h"
#include "session/Held_data.h"
#include "session/Run_data.h"
#include "session/Run_file.h"
#include "tests/cli/Cli_process.h"

namespace velqoris::testing {
namespace {

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// The objects of the "channels" list, each as key → literal, keys in order.
struct JsonChannel {
  std::vector<std::string> keys;
  std::map<std::string, std::string> values;
  double Number(const std::string& key) const { return std::stod(values.at(key)); }
};

std::vector<JsonChannel> Channels(const std::string& json) {
  std::vector<JsonChannel> channels;
  EXPECT_EQ(json.rfind("{\"channels\": [", 0), 0u) << json;
  const std::regex object(R"(\{("channel"[^{}]*)\})");
  const std::regex pair(R"xx("([A-Za-z0-9_]+)": ("[^"]*"|[^,]+))xx");
  for (auto o = std::sregex_iterator(json.begin(), json.end(), object); o != std::sregex_iterator();
       ++o) {
    JsonChannel c;
    const std::string body = (*o)[1];
    for (auto p = std::sregex_iterator(body.begin(), body.end(), pair); p != std::sregex_iterator();
         ++p) {
      c.keys.push_back((*p)[1]);
      c.values[(*p)[1]] = (*p)[2];
    }
    channels.push_back(c);
  }
  return channels;
}

std::string Save(const TempDir& dir, const std::string& name, int chSel, int count,
                 const std::function<std::int32_t(int ch, int i)>& code) {
  RunData data;
  data.Settings.CHSel = chSel;
  data.Settings.spsSel = 12;  // 4800 sps
  data.Settings.GainSel = 5;  // gain 128
  for (int i = 0; i < count; ++i) {
    data.Codes(0)[i] = code(0, i);
    data.Codes(1)[i] = code(1, i);
  }
  data.Ch0.Count = chSel == 1 ? 0 : count;
  data.Ch1.Count = chSel == 0 ? 0 : count;
  TmyFile file([](const std::string&) { return true; });
  const std::string path = dir.Path(name);
  EXPECT_TRUE(SaveRun(file, path, data));
  return path;
}

std::int32_t Noisy(int ch, int i) {
  // Deterministic white noise of ±10 codes, with a sine on CH1 (bin 50 of 1000).
  std::uint32_t hash = static_cast<std::uint32_t>(i) * 0x9E3779B9u + static_cast<std::uint32_t>(ch);
  hash = (hash ^ (hash >> 16)) * 0x85EBCA6Bu;
  hash = (hash ^ (hash >> 13)) * 0xC2B2AE35u;
  hash ^= hash >> 16;
  const double wobble = static_cast<double>(hash % 21) - 10.0;
  const double sine = ch == 1 ? 2.0e6 * std::sin(2 * std::numbers::pi * 50 * i / 1000.0) : 0.0;
  return static_cast<std::int32_t>(8388608 + std::lround(wobble + sine));
}

const std::vector<std::string> kNoiseKeys = {"channel",
                                             "count",
                                             "mean_code",
                                             "mean_uV",
                                             "rms_noise_codes",
                                             "rms_noise_uV",
                                             "rms_noise_nV",
                                             "pp_noise_codes",
                                             "pp_noise_uV",
                                             "effective_resolution_bits",
                                             "noise_free_resolution_bits",
                                             "noise_free_resolution_6sigma_bits",
                                             "typical_rms_noise_nV",
                                             "rms_vs_typical",
                                             "over_range"};
const std::vector<std::string> kSpectrumKeys = {"channel",
                                                "n",
                                                "rate_sps",
                                                "bin_hz",
                                                "window",
                                                "fundamental_hz",
                                                "fundamental_dbfs",
                                                "snr_db",
                                                "thd_db",
                                                "sinad_db",
                                                "sfdr_db",
                                                "enob_bits",
                                                "noise_density_nV_rtHz",
                                                "mains_50hz_dbfs",
                                                "mains_60hz_dbfs",
                                                "fundamental_absent",
                                                "harmonic2_dbfs",
                                                "harmonic3_dbfs",
                                                "harmonic4_dbfs",
                                                "harmonic5_dbfs",
                                                "harmonic6_dbfs",
                                                "second_tone_hz",
                                                "second_tone_dbfs",
                                                "snr_without_mains_db",
                                                "thd_bound_db",
                                                "enob_fs_bits",
                                                "mains_50hz_bound_dbfs",
                                                "mains_60hz_bound_dbfs"};

TEST(CliAnalyzeTest, JsonHasExactlyTheKeysAndTheLibrarysFigures) {
  TempDir dir;
  const auto path = Save(dir, "both.DTA", 2, 1000, Noisy);
  const CliResult r = RunCli({"analyze", path, "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto channels = Channels(r.out);
  ASSERT_EQ(channels.size(), 2u) << r.out;
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 1000; ++i) codes.push_back(Noisy(0, i));
  MeasureSettings s;
  s.spsSel = 12;
  s.GainSel = 5;
  s.Gain = 128;
  const auto f = analysis::AnalyzeNoise(codes.data(), 1000, s);
  const JsonChannel& ch0 = channels[0];
  EXPECT_EQ(ch0.keys, kNoiseKeys);
  EXPECT_EQ(ch0.values.at("channel"), "0");
  EXPECT_EQ(ch0.values.at("count"), "1000");
  EXPECT_NEAR(ch0.Number("rms_noise_codes"), *f.rmsCodes, 1e-6);
  EXPECT_NEAR(ch0.Number("rms_noise_nV"), *f.rmsNanovolts, 1e-4);
  EXPECT_NEAR(ch0.Number("effective_resolution_bits"), *f.effective.Bits(), 1e-8);
  EXPECT_NEAR(ch0.Number("rms_vs_typical"), *f.rmsVsTypical, 1e-8);
  EXPECT_EQ(ch0.values.at("over_range"), "false");
  EXPECT_EQ(channels[1].values.at("channel"), "1");
}

TEST(CliAnalyzeTest, NoNoiseAndOverRangeGiveNullResolutions) {
  TempDir dir;
  const auto flat = Save(dir, "flat.DTA", 0, 100, [](int, int) { return 8388000; });
  auto c = Channels(RunCli({"analyze", flat, "--json"}).out);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].values.at("rms_noise_codes"), "0");
  EXPECT_EQ(c[0].values.at("effective_resolution_bits"), "null");
  EXPECT_EQ(c[0].values.at("rms_vs_typical"), "0");
  const CliResult text = RunCli({"analyze", flat});
  EXPECT_TRUE(Has(text.out, "24 以上 ビット")) << text.out;

  const auto clipped =
      Save(dir, "clip.DTA", 1, 100, [](int, int i) { return i % 3 == 0 ? 16777215 : 16777000; });
  c = Channels(RunCli({"analyze", clipped, "--json"}).out);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].values.at("channel"), "1");
  EXPECT_EQ(c[0].values.at("over_range"), "true");
  EXPECT_EQ(c[0].values.at("noise_free_resolution_6sigma_bits"), "null");
  EXPECT_TRUE(Has(RunCli({"analyze", clipped}).out, "入力範囲外"));
}

TEST(CliSpectrumTest, JsonKeysFiguresCsvAndPicture) {
  TempDir dir;
  const auto path = Save(dir, "both.DTA", 2, 1000, Noisy);
  const std::string csv = dir.Path("s.csv");
  const std::string png = dir.Path("s.png");
  const CliResult r =
      RunCli({"spectrum", path, "--json", "--window", "hann", "--csv", csv, "--png", png});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto channels = Channels(r.out);
  ASSERT_EQ(channels.size(), 2u);
  for (const auto& c : channels) EXPECT_EQ(c.keys, kSpectrumKeys);
  EXPECT_EQ(channels[0].values.at("window"), "\"hann\"");
  EXPECT_EQ(channels[0].values.at("fundamental_hz"), "null") << "no tone on CH0";
  EXPECT_EQ(channels[0].values.at("n"), "1000");
  EXPECT_EQ(channels[0].Number("rate_sps"), 4800.0);
  EXPECT_EQ(channels[0].Number("bin_hz"), 4.8);
  EXPECT_NEAR(channels[1].Number("fundamental_hz"), 240.0, 0.01);
  EXPECT_NEAR(channels[1].Number("fundamental_dbfs"), 20 * std::log10(2.0e6 / 8388607), 0.1);

  const auto rows = Lines(ReadFile(csv));
  ASSERT_EQ(rows.size(), 502u);
  EXPECT_EQ(rows[0], "frequency_Hz,ch0_dBFS,ch0_nV_rtHz,ch1_dBFS,ch1_nV_rtHz");
  EXPECT_EQ(rows[51].rfind("240,", 0), 0u) << rows[51];
  const QImage picture(QString::fromStdString(png));
  EXPECT_EQ(picture.width(), 760);
  EXPECT_EQ(picture.height(), 2 * (26 + 330)) << "one panel per channel, each under its title";
}

TEST(CliSpectrumTest, LevelsThatDoNotExistAreNullAndEmptyCells) {
  TempDir dir;
  // No noise at all: every bin but DC holds no power, so no level exists.
  const auto flat = Save(dir, "flat.DTA", 0, 1000, [](int, int) { return 8388000; });
  const std::string csv = dir.Path("flat.csv");
  const CliResult r = RunCli({"spectrum", flat, "--json", "--window", "rect", "--csv", csv});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(Has(r.out, "-300")) << r.out;
  const auto c = Channels(r.out);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].values.at("mains_50hz_dbfs"), "null");
  EXPECT_EQ(c[0].values.at("mains_60hz_dbfs"), "null");
  EXPECT_EQ(c[0].values.at("fundamental_dbfs"), "null");
  const auto rows = Lines(ReadFile(csv));
  ASSERT_EQ(rows.size(), 502u);
  for (std::size_t k = 2; k < rows.size(); ++k) {
    const auto comma = rows[k].find(',');
    ASSERT_NE(comma, std::string::npos);
    EXPECT_EQ(rows[k].substr(comma, 2), ",,") << rows[k];
    EXPECT_FALSE(Has(rows[k], "-300")) << rows[k];
  }
  // Bins with power keep their numbers.
  const auto noisy = Save(dir, "noisy.DTA", 0, 1000, Noisy);
  ASSERT_EQ(RunCli({"spectrum", noisy, "--csv", csv}).exitCode, 5) << "the first CSV is there";
  ASSERT_EQ(RunCli({"spectrum", noisy, "--csv", csv, "--force"}).exitCode, 0);
  for (const std::string& row : Lines(ReadFile(csv))) EXPECT_FALSE(Has(row, ",,")) << row;
}

TEST(CliAnalyzeTest, HistogramPictureAndFailures) {
  TempDir dir;
  const auto path = Save(dir, "ch0.DTA", 0, 500, Noisy);
  const std::string png = dir.Path("h.png");
  ASSERT_EQ(RunCli({"analyze", path, "--png", png, "--volt"}).exitCode, 0);
  const QImage picture(QString::fromStdString(png));
  EXPECT_EQ(picture.size(), QSize(760, 26 + 330));
  EXPECT_EQ(RunCli({"analyze", path, "--png", dir.Path("no/such/dir.png")}).exitCode, 5);
  EXPECT_EQ(RunCli({"analyze", dir.Path("missing.DTA")}).exitCode, 4);
  EXPECT_EQ(RunCli({"spectrum", dir.Path("missing.DTA")}).exitCode, 4);
}

TEST(CliAnalysisOptionsTest, TestSignalsOnTheVirtualBoardMayRepeat) {
  using cli::ParseCommandLine;
  auto r = ParseCommandLine({"measure", "--virtual", "--sine", "0,10,0.1", "--sine=1,20,0.2,-60",
                             "--mains", "1,60,0.01", "--analyze"});
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.options.sines.size(), 2u);
  EXPECT_EQ(r.options.sines[1].channel, 1);
  EXPECT_EQ(r.options.mains.size(), 1u);
  EXPECT_TRUE(r.options.analyze);
  EXPECT_TRUE(ParseCommandLine({"spectrum", "f.DTA", "--window=rect"}).ok);
}

// The demonstration without hardware: the virtual board's sine and mains
// pickup, measured, then read by spectrum; --analyze prints what analyze does.
TEST(CliMeasureAnalyzeTest, VirtualSineEndToEnd) {
  TempDir dir;
  const std::string path = dir.Path("sine.DTA");
  const CliResult run =
      RunCli({"measure", "--virtual", "--rate", "4800", "--count", "1000", "--channel", "1",
              "--sine", "1,480,1.25,-60", "--mains", "1,50,0.001", "--out", path, "--analyze"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const CliResult analyze = RunCli({"analyze", path});
  ASSERT_EQ(analyze.exitCode, 0);
  EXPECT_TRUE(Has(run.out, analyze.out)) << run.out;

  const auto c = Channels(RunCli({"spectrum", path, "--json"}).out);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NEAR(c[0].Number("fundamental_hz"), 480.0, 0.05);
  // Through the Sinc4 filter: 80 log10(sinc(f / 4800)) at 480 Hz and at the
  // 2nd harmonic's 960 Hz.
  const auto droop = [](double x) {
    return 80 * std::log10(std::sin(std::numbers::pi * x) / (std::numbers::pi * x));
  };
  EXPECT_NEAR(c[0].Number("fundamental_dbfs"), 20 * std::log10(1.25 / 2.5) + droop(0.1), 0.1);
  EXPECT_NEAR(c[0].Number("sfdr_db"), 60.0 + droop(0.1) - droop(0.2), 0.5);
  EXPECT_NEAR(c[0].Number("mains_50hz_dbfs"), 20 * std::log10(0.001 / 2.5), 0.2);
}

// Where channel i's view lies in a picture, below its title line.
QRect PanelRect(int i) {
  return QRect(0, i * (kTitleHeight + kPanelHeight) + kTitleHeight, kPanelWidth, kPanelHeight);
}

// The view at the pictures' size; fixed, since grabbing lays its window out.
QImage Grab(QWidget& view) {
  view.setFixedSize(kPanelWidth, kPanelHeight);
  const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(image.size(), QSize(kPanelWidth, kPanelHeight));
  return image;
}

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour ? 1 : 0;
  }
  return n;
}

// The tool's pictures are the analysis window's views of the same file,
// pixel for pixel: one drawing shown in two places.
TEST(CliPicturesTest, EachPanelIsTheAnalysisWindowsViewOfItsChannel) {
  TempDir dir;
  const auto path = Save(dir, "both.DTA", 2, 1000, Noisy);
  HeldData held;
  ASSERT_TRUE(held.Load(path));
  AnalysisWindow window(held.data, nullptr);
  for (const bool volt : {false, true}) {
    const std::string png = dir.Path(volt ? "hv.png" : "hc.png");
    std::vector<std::string> args = {"analyze", path, "--png", png};
    if (volt) args.push_back("--volt");
    ASSERT_EQ(RunCli(args).exitCode, 0);
    const QImage picture =
        QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    window.DataChanged(volt);
    window.show();
    window.hide();
    for (int ch = 0; ch < 2; ++ch) {
      HistogramView& view = *window.Histogram(ch);
      EXPECT_EQ(view.AxisInMicrovolts(), volt);
      const QImage shown = Grab(view);
      EXPECT_GT(CountColour(shown, qRgb(150, 180, 220)), 1000) << "bars drawn";
      EXPECT_EQ(picture.copy(PanelRect(ch)), shown) << "histogram, CH" << ch << ", volt " << volt;
    }
  }

  const std::string png = dir.Path("s.png");
  ASSERT_EQ(RunCli({"spectrum", path, "--window", "hann", "--png", png}).exitCode, 0);
  const QImage picture = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  window.show();
  auto* windows = window.findChild<QComboBox*>("WindowCombo");
  ASSERT_NE(windows, nullptr);
  windows->setCurrentIndex(
      windows->findText(QString::fromUtf8(analysis::WindowLabel(analysis::SpectrumWindow::kHann))));
  window.hide();
  ASSERT_EQ(window.Spectrum(1)->spectrum.window, analysis::SpectrumWindow::kHann);
  for (int ch = 0; ch < 2; ++ch) {
    const QImage shown = Grab(*window.SpectrumPlot(ch));
    EXPECT_GT(CountColour(shown, qRgb(0, 70, 170)), 300) << "trace drawn";
    EXPECT_EQ(picture.copy(PanelRect(ch)), shown) << "spectrum, CH" << ch;
  }
  // The title line names the channel's settings above its panel.
  EXPECT_GT(CountColour(picture.copy(0, 0, 760, kTitleHeight), qRgb(0, 0, 0)), 100);
}

}  // namespace
}  // namespace velqoris::testing
