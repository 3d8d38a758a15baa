// Save, load, clear and the unit switch through the window's menus.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "tests/app/Run_file_reading.h"
#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CommandsTest : public WindowTest {
 protected:
  std::string Path(const std::string& name) const {
    return QDir(dir.path()).filePath(QString::fromStdString(name)).toStdString();
  }
  void SaveAs(const std::string& path) {
    files->answers.push_back(path);
    Action("Save1")->trigger();
  }
  void LoadFrom(const std::string& path) {
    files->answers.push_back(path);
    Action("Load1")->trigger();
  }
  // The caption naming a file, its path as the system writes it ("\\" on Windows).
  static std::string CaptionWith(const std::string& path) {
    return "VELQORIS / v2.10 : " +
           QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
  }
  QTemporaryDir dir;
};

TEST_F(CommandsTest, SaveAndLoadRoundTripThroughTheMenus) {
  Combo(4)->setCurrentIndex(3);  // gain 32
  Radio("Sinc3_RB")->click();
  Radio("CHOPON_RB")->click();
  ASSERT_TRUE(Measure(11, 1, 2));
  std::vector<std::int32_t> codes0(form->Data().Codes(0), form->Data().Codes(0) + 200);
  std::vector<std::int32_t> codes1(form->Data().Codes(1), form->Data().Codes(1) + 200);
  const QString stats = Panel(2);

  SaveAs(Path("run1"));
  ASSERT_EQ(files->requests.size(), 1u);
  EXPECT_EQ(files->requests[0].filter, "Data files (*.DTA)");
  EXPECT_EQ(files->requests[0].initialName, "*.DTA");
  const std::string saved = Path("run1.DTA");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(saved)));
  EXPECT_TRUE(form->SaveOK());
  EXPECT_EQ(PanelUtf8(1), "データファイルを保存しました");
  EXPECT_EQ(form->windowTitle().toStdString(), CaptionWith(saved));

  // Back to other controls and other data, then the file brings everything back.
  Action("DataClear")->trigger();
  Combo(4)->setCurrentIndex(0);
  Radio("Sinc4_RB")->click();
  ASSERT_TRUE(Measure(12, 0, 0));
  LoadFrom(saved);
  EXPECT_EQ(files->requests.back().filter, "データファイル (*.DTA)");
  EXPECT_TRUE(boxes.empty());
  const RunData& d = form->Data();
  EXPECT_EQ(d.Settings.spsSel, 11);
  EXPECT_EQ(d.Settings.DataCountSel, 1);
  EXPECT_EQ(d.Settings.CHSel, 2);
  EXPECT_EQ(d.Settings.GainSel, 3);
  EXPECT_EQ(d.Settings.Gain, 32);
  EXPECT_EQ(Combo(4)->currentText(), "32");
  EXPECT_EQ(Combo(1)->currentText(), "2400 sps");
  EXPECT_TRUE(Radio("Sinc3_RB")->isChecked());
  EXPECT_TRUE(Radio("CHOPON_RB")->isChecked());
  EXPECT_TRUE(d.fCH0Data && d.fCH1Data);
  ASSERT_EQ(d.Ch0.Count, 200);
  ASSERT_EQ(d.Ch1.Count, 200);
  EXPECT_TRUE(std::equal(codes0.begin(), codes0.end(), d.Ch0.Codes));
  EXPECT_TRUE(std::equal(codes1.begin(), codes1.end(), d.Ch1.Codes));
  EXPECT_FLOAT_EQ(d.Ch0.Microvolts[5], form->Graph()->CodeToMicrovolts(d.Ch0.Codes[5]));
  EXPECT_EQ(PanelUtf8(1), "データファイル読み込みました");
  EXPECT_EQ(Panel(2), stats);
  EXPECT_TRUE(form->StatCH0());
  // The caption names the file whose data is on display.
  EXPECT_EQ(form->windowTitle().toStdString(), CaptionWith(saved));
  SaveAs(Path("copy"));
  LoadFrom(saved);
  EXPECT_EQ(form->windowTitle().toStdString(), CaptionWith(saved));
  EXPECT_TRUE(Combo(1)->isEnabled());
}

TEST_F(CommandsTest, TheExtensionRuleWorksOnTheWholePath) {
  ASSERT_TRUE(Measure(12, 0, 1));
  SaveAs(Path("run1.dta"));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("run1.dta.DTA"))));
  SaveAs(Path("run2.DTA"));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("run2.DTA"))));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("run2.DTA.DTA"))));
  ASSERT_TRUE(QDir(dir.path()).mkdir("my.data"));
  SaveAs(Path("my.data/run1"));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("my.data/run1.DTA"))));
  // A CH1 run writes the CH1 buffer with its channel.
  const std::string text = ReadAll(Path("run2.DTA"));
  EXPECT_NE(text.find(std::to_string(form->Data().Codes(1)[0])), std::string::npos);
}

TEST_F(CommandsTest, CancelledOrEmptyDialogsDoNothing) {
  ASSERT_TRUE(Measure(12, 0, 0));
  const QString title = form->windowTitle();
  files->answers.push_back(std::nullopt);
  Action("Save1")->trigger();
  files->answers.push_back(std::string());
  Action("Save1")->trigger();
  files->answers.push_back(std::nullopt);
  Action("Load1")->trigger();
  EXPECT_EQ(files->requests.size(), 3u);
  EXPECT_EQ(form->windowTitle(), title);
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
  EXPECT_TRUE(form->Data().fCH0Data);
}

TEST_F(CommandsTest, OverwriteAnsweredNoLeavesTheFile) {
  ASSERT_TRUE(Measure(12, 0, 0));
  const std::string path = Path("keep.DTA");
  { std::ofstream(path) << "precious"; }
  boxAnswer = 1;  // "いいえ(&N)"
  SaveAs(path);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "確認");
  EXPECT_EQ(boxes[0].icon, dialogs::Icon::Question);
  EXPECT_NE(boxes[0].text.find(path), std::string::npos);
  EXPECT_EQ(ReadAll(path), "precious");
  // The file kept its old contents: the caption does not name it.
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("VELQORIS / v2.10"));

  boxes.clear();
  boxAnswer = 0;  // "はい(&Y)"
  SaveAs(path);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(ReadAll(path), "precious");
}

// A failed save says why, and the caption keeps naming the file that holds the data.
TEST_F(CommandsTest, AFailedSaveSaysWhyAndLeavesTheCaption) {
  ASSERT_TRUE(Measure(12, 0, 0));
  SaveAs(Path("good"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.DTA"));
  const struct {
    std::string path;
    const char* text;
  } cases[] = {
      {Path("no/such/folder/run"), "データ保存できませんでした: No such file or directory"},
      {Path("folder.DTA"), "データ保存できませんでした: ファイルではなくフォルダです"},
  };
  for (const auto& c : cases) {
    boxes.clear();
    SaveAs(c.path);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].caption, "VELQORIS Board");
    EXPECT_FALSE(form->SaveOK());
    EXPECT_EQ(form->windowTitle().toStdString(), CaptionWith(Path("good.DTA")));
  }
}

// A load that fails, after a run and after a load, keeps everything on display.
TEST_F(CommandsTest, AFailedLoadKeepsTheDataOnDisplay) {
  const std::string bad = Path("bad.DTA");
  std::ofstream(bad) << "VELQORIS_DataFile:\nM:\nspsSel:3\nCHSel:0\nMEND:\nD:\n8388608\nx\n";
  for (bool afterLoad : {false, true}) {
    SCOPED_TRACE(afterLoad ? "after a load" : "after a run");
    Combo(4)->setCurrentIndex(2);
    ASSERT_TRUE(Measure(12, 0, 2));
    if (afterLoad) {
      SaveAs(Path("good"));
      LoadFrom(Path("good.DTA"));
    }
    const QString title = form->windowTitle();
    const std::string panel1 = PanelUtf8(1);
    const QImage picture = Bitmap().copy();
    const std::vector<std::int32_t> codes(form->Data().Codes(1), form->Data().Codes(1) + 100);
    ClickStatusBar();  // CH1's figures on display
    const QString stats = Panel(2);
    for (const std::string& path : {bad, Path("missing.DTA")}) {
      boxes.clear();
      LoadFrom(path);
      ASSERT_EQ(boxes.size(), 1u);
      // The file is named as the system writes it, and the line the reader stopped at.
      const std::string shown =
          QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
      EXPECT_EQ(boxes[0].text.rfind(
                    path == bad ? "データファイルの内容が正しくありませんでした: " + shown + " ("
                                : "ファイルが見つかりません: " + shown,
                    0),
                0u)
          << boxes[0].text;
      EXPECT_EQ(form->windowTitle(), title);
      EXPECT_EQ(PanelUtf8(1), afterLoad ? "" : panel1);  // never claims a load
      EXPECT_EQ(Panel(2), stats);
      EXPECT_EQ(Bitmap(), picture);
      EXPECT_EQ(form->Data().Settings.Gain, 16);
      ASSERT_EQ(form->Data().Ch1.Count, 100);
      EXPECT_TRUE(std::equal(codes.begin(), codes.end(), form->Data().Ch1.Codes));
    }
    Action("MenuY_Volt")->trigger();  // the unit switch works on the kept run
    EXPECT_TRUE(Panel(2).startsWith("CH1") && Panel(2).contains("[uV]"));
    Action("MenuY_Volt")->trigger();
  }
}

// A file whose settings are well formed but name no item of a list.
void WriteFile(const std::string& path, int spsSel, int countSel, int chSel, int gainSel) {
  std::ofstream out(path, std::ios::binary);
  out << "VELQORIS_DataFile:\r\nM:\r\nspsSel:" << spsSel << "\r\nDataCountSel:" << countSel
      << "\r\nCHSel:" << chSel << "\r\nGainSel:" << gainSel
      << "\r\nfSinc4:1\r\nfBUF_ON:0\r\nfCHOP_ON:0\r\nMEND:\r\nD:\r\n";
  for (int i = 0; i < 20; ++i) out << 8388608 + i << "\r\n";
  out << "DEND:\r\n";
}

TEST_F(CommandsTest, ASelectionOutsideItsListIsAFailedLoad) {
  WriteFile(Path("fine.DTA"), 4, 0, 0, 3);
  LoadFrom(Path("fine.DTA"));
  ASSERT_TRUE(boxes.empty());
  EXPECT_EQ(form->Data().Ch0.Count, 20);
  EXPECT_EQ(form->Data().Settings.Gain, 32);
  EXPECT_EQ(Combo(1)->currentText(), "60 sps");
  for (auto bad : {std::array{13, 0, 0, 0}, std::array{4, 7, 0, 0}, std::array{4, 0, 0, 6},
                   std::array{-1, 0, 0, 0}}) {
    boxes.clear();
    WriteFile(Path("odd.DTA"), bad[0], bad[1], bad[2], bad[3]);
    LoadFrom(Path("odd.DTA"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].text.rfind("データファイルの内容が正しくありませんでした: " + Path("odd.DTA"), 0),
        0u);
    EXPECT_EQ(form->Data().Ch0.Count, 20);       // the earlier file stays on display
    EXPECT_EQ(form->Data().Settings.spsSel, 4);  // the controls and settings stay
    EXPECT_EQ(Combo(1)->currentText(), "60 sps");
    EXPECT_EQ(Combo(4)->currentText(), "32");
  }
}

TEST_F(CommandsTest, ALoadedCh1FileLeavesOnlyCh1AndTheClickDoesNothing) {
  Combo(4)->setCurrentIndex(4);
  ASSERT_TRUE(Measure(12, 0, 1));
  SaveAs(Path("ch1"));
  Combo(4)->setCurrentIndex(0);
  ASSERT_TRUE(Measure(12, 0, 2));
  LoadFrom(Path("ch1.DTA"));
  EXPECT_FALSE(form->Data().fCH0Data);
  EXPECT_TRUE(form->Data().fCH1Data);
  EXPECT_EQ(form->Data().Settings.Gain, 64);
  EXPECT_TRUE(Panel(2).startsWith("CH1"));
  const QString shown = Panel(2);
  ClickStatusBar();
  EXPECT_EQ(Panel(2), shown);
}

TEST_F(CommandsTest, ClearThenSaveHasNoData) {
  ASSERT_TRUE(Measure(12, 0, 0));
  const QString p2 = Panel(2);
  const QString title = form->windowTitle();
  SaveAs(Path("before"));
  Action("DataClear")->trigger();
  EXPECT_EQ(CountPixels(Bitmap(), kRed), 0);
  // No figure and no file name beside the empty graph.
  EXPECT_EQ(Panel(2), "");
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("VELQORIS / v2.10"));
  boxes.clear();
  files->requests.clear();
  Action("Save1")->trigger();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "データがありません");
  EXPECT_EQ(boxes[0].caption, "VELQORIS Board");
  EXPECT_TRUE(files->requests.empty());  // no dialog
}

TEST_F(CommandsTest, TheUnitSwitchRedrawsWithoutData) {
  Action("MenuY_Volt")->trigger();
  EXPECT_TRUE(form->VoltMode());
  EXPECT_TRUE(LabelText("Label1").contains("uV") || LabelText("Label1").contains("."));
  Action("MenuY_Volt")->trigger();
  EXPECT_FALSE(form->VoltMode());
  EXPECT_EQ(PanelUtf8(2), "");
}

// Each file line a two-channel pair, or one code.
void WriteCodes(const std::string& path, int chSel, int gainSel,
                const std::vector<std::array<std::int32_t, 2>>& lines) {
  std::ofstream out(path, std::ios::binary);
  out << "VELQORIS_DataFile:\r\nM:\r\nspsSel:12\r\nDataCountSel:0\r\nCHSel:" << chSel
      << "\r\nGainSel:" << gainSel << "\r\nfSinc4:0\r\nfBUF_ON:1\r\nfCHOP_ON:0\r\nMEND:\r\nD:\r\n";
  for (const auto& l : lines) {
    out << l[0];
    if (chSel == 2) out << ',' << l[1];
    out << "\r\n";
  }
  out << "DEND:\r\n";
}

int DataLines(const std::string& text) {
  const auto from = text.find("\nD:\r\n");
  const auto to = text.find("DEND:");
  if (from == std::string::npos || to == std::string::npos) return -1;
  return static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(from) + 5,
                                     text.begin() + static_cast<std::ptrdiff_t>(to), '\n'));
}

TEST_F(CommandsTest, ARefusedStartKeepsTheSettingsOfTheDataOnDisplay) {
  ASSERT_TRUE(Measure(12, 1, 0));  // CH0, gain 1
  const std::vector<std::int32_t> codes(form->Data().Codes(0), form->Data().Codes(0) + 200);
  const std::vector<float> volts(form->Data().Ch0.Microvolts, form->Data().Ch0.Microvolts + 200);
  Action("MenuY_Volt")->trigger();
  const QString voltStats = Panel(2);
  Action("MenuY_Volt")->trigger();

  // Other gain and channel in the controls; the board refuses the gain.
  Combo(4)->setCurrentIndex(4);
  Combo(3)->setCurrentIndex(1);
  board.Faults().refusedCommands = {"SG4"};
  Press();
  ASSERT_EQ(PanelUtf8(0), "VELQORIS Board がエラーです");
  const RunData& d = form->Data();
  EXPECT_EQ(d.Settings.GainSel, 0);
  EXPECT_EQ(d.Settings.Gain, 1);
  EXPECT_EQ(d.Settings.CHSel, 0);
  EXPECT_TRUE(d.fCH0Data);

  // Extremes and deviation in one gain, the one the data was taken with.
  Action("MenuY_Volt")->trigger();
  EXPECT_EQ(Panel(2), voltStats);
  Action("MenuY_Volt")->trigger();

  SaveAs(Path("kept"));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(PanelUtf8(1), "データファイルを保存しました");
  const std::string text = ReadAll(Path("kept.DTA"));
  EXPECT_NE(text.find("GainSel:0\r\n"), std::string::npos);
  EXPECT_NE(text.find("CHSel:0\r\n"), std::string::npos);
  EXPECT_EQ(DataLines(text), 200);

  Action("DataClear")->trigger();
  LoadFrom(Path("kept.DTA"));
  ASSERT_EQ(d.Ch0.Count, 200);
  EXPECT_TRUE(std::equal(codes.begin(), codes.end(), d.Ch0.Codes));
  EXPECT_TRUE(std::equal(volts.begin(), volts.end(), d.Ch0.Microvolts));

  // A start that really begins takes the controls' settings.
  board.Faults().refusedCommands.clear();
  Combo(4)->setCurrentIndex(4);
  Combo(3)->setCurrentIndex(1);
  ASSERT_TRUE(Measure(12, 0, 1));
  EXPECT_EQ(d.Settings.Gain, 64);
  EXPECT_EQ(d.Settings.CHSel, 1);
}

TEST_F(CommandsTest, AFileWithoutSamplesShowsNoFigureOfEarlierData) {
  ASSERT_TRUE(Measure(12, 1, 2));
  ASSERT_NE(PanelUtf8(2), "");
  const std::string twoChannels = Path("empty2.DTA");
  WriteCodes(twoChannels, 2, 3, {});
  LoadFrom(twoChannels);
  // A correct file: loaded, its settings shown, but no data and no figures.
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(PanelUtf8(1), "データファイル読み込みました");
  EXPECT_EQ(PanelUtf8(2), "");
  EXPECT_EQ(Combo(4)->currentText(), "32");
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(CountPixels(Bitmap(), kRed) + CountPixels(Bitmap(), kBlue), 0);
  EXPECT_EQ(LabelText("Label1"), "8388608");  // the empty graph's labels
  EXPECT_EQ(LabelText("Label16"), "1000");
  ClickStatusBar();
  EXPECT_EQ(PanelUtf8(2), "");
  Action("MenuY_Volt")->trigger();
  EXPECT_EQ(PanelUtf8(2), "");
  Action("MenuY_Volt")->trigger();
  Action("Save1")->trigger();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "データがありません");

  // The same for one channel.
  boxes.clear();
  ASSERT_TRUE(Measure(12, 0, 1));
  WriteCodes(Path("empty1.DTA"), 1, 0, {});
  LoadFrom(Path("empty1.DTA"));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(PanelUtf8(2), "");
  EXPECT_FALSE(form->Data().HasData());
  EXPECT_EQ(CountPixels(Bitmap(), kBlue), 0);
}

// A code outside the converter's 24 bits is no result: the file is refused
// with the line it was found on, and the data on display stays.
TEST_F(CommandsTest, ACodeOutsideTheConvertersRangeIsAFailedLoad) {
  ASSERT_TRUE(Measure(12, 0, 1));
  const int count = form->Data().Ch0.Count;
  std::vector<std::array<std::int32_t, 2>> lines(20, {kMidScaleCode, kMidScaleCode});
  lines[3] = {std::numeric_limits<std::int32_t>::min(), kMidScaleCode};
  WriteCodes(Path("lowest.DTA"), 2, 0, lines);
  LoadFrom(Path("lowest.DTA"));
  ASSERT_EQ(boxes.size(), 1u);
  // Identification, settings block, "D:", three lines, then this one.
  EXPECT_EQ(boxes[0].text,
            "データファイルの内容が正しくありませんでした: " + Path("lowest.DTA") + " (15 行目)");
  EXPECT_EQ(form->Data().Ch0.Count, count);
}

TEST_F(CommandsTest, APatternForANameIsNeverWritten) {
  ASSERT_TRUE(Measure(12, 0, 0));
  // The pre-filled "*.DTA" accepted as it is: the dialog comes back.
  files->answers.push_back(Path("*.DTA"));
  files->answers.push_back(Path("run?"));
  files->answers.push_back(std::nullopt);
  Action("Save1")->trigger();
  EXPECT_EQ(files->requests.size(), 3u);
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
  EXPECT_TRUE(boxes.empty());
  // Then a real name is written under that name.
  files->answers.push_back(Path("*.DTA"));
  files->answers.push_back(Path("real"));
  Action("Save1")->trigger();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"real.DTA"});
  EXPECT_EQ(PanelUtf8(1), "データファイルを保存しました");
}

// Every run that ends with results is kept in the history folder, without a
// question; a run that ends without results is not. データ → 履歴を開く...
// opens the load dialog there.
TEST_F(CommandsTest, RunsWithResultsAreKeptInTheHistoryFolder) {
  const std::string history = Path("history");
  FormOptions options;
  options.historyFolder = history;
  Build(options);
  const auto kept = [&] {
    return QDir(QString::fromStdString(history)).entryList({"*.DTA"}, QDir::Files).size();
  };
  ASSERT_TRUE(Measure(12, 0, 2));  // finished
  EXPECT_EQ(kept(), 1);
  const auto stopAfter = [&](int n) {
    Choose(1, 3, 0);
    Press();
    while (form->Run()->ReadCount() < n) Pass(ms(100));
    Press();
  };
  stopAfter(10);  // stopped with results
  EXPECT_EQ(kept(), 2);
  stopAfter(9);  // stopped without results
  EXPECT_EQ(kept(), 2);
  board.Faults().readErrorAfter = 20;  // ended by an error
  Choose(12, 0, 0);
  Press();
  RunToEnd(ms(20));
  EXPECT_EQ(kept(), 2);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(QDir(QString::fromStdString(history)).entryList({".velqoris-*"}).size());

  // The history dialog lists both, newest first (the stopped run: ten CH0
  // results), each with its settings and the statistics its load then shows.
  const QStringList names =
      QDir(QString::fromStdString(history)).entryList({"*.DTA"}, QDir::Files, QDir::Name);
  Action("History1")->trigger();
  HistoryDialog* dialog = form->HistoryWindow();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitForList(*dialog));
  ASSERT_EQ(dialog->Runs().size(), 2u);
  const RunSummary newest = dialog->Runs()[0];
  // Compared as paths: Windows joins with its own separator.
  EXPECT_EQ(std::filesystem::path(newest.path),
            std::filesystem::path(history + "/" + names.last().toStdString()));
  EXPECT_EQ(newest.count, 10);
  EXPECT_EQ(SettingsSummary(newest.settings, newest.count),
            "CH0 / 10 sps / 10 点 / ゲイン 1 / Sinc4 / BUF OFF / CHOP OFF");
  EXPECT_EQ(dialog->Runs()[1].count, 100);
  EXPECT_EQ(dialog->Runs()[1].codeLines.size(), 2u);
  ASSERT_EQ(newest.codeLines.size(), 1u);
  dialog->OpenRow(0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(form->Data().Ch0.Count, 10);
  EXPECT_EQ(PanelUtf8(2), newest.codeLines[0]);
  EXPECT_EQ(form->windowTitle().toStdString(), CaptionWith(newest.path));
  // ファイルを選ぶ... is the load dialog in the history folder.
  files->answers.push_back(history + "/" + names.first().toStdString());
  dialog->findChild<QPushButton*>("HistoryBrowse")->click();
  EXPECT_EQ(files->requests.back().folder, history);
  EXPECT_EQ(form->Data().Ch0.Count, 100);
}

// A run the history cannot keep is still on display, and the status bar says
// why it was not kept, without a box to answer.
TEST_F(CommandsTest, ARunTheHistoryCannotKeepIsSaidInTheStatusBar) {
  { std::ofstream(Path("plain-file")) << "x"; }
  FormOptions options;
  options.historyFolder = Path("plain-file") + "/history";
  Build(options);
  ASSERT_TRUE(Measure(12, 0, 2));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(PanelUtf8(1), "計測終了しました　履歴に保存できませんでした: Not a directory");
  EXPECT_GT(form->Data().Ch0.Count, 0);
}

}  // namespace
}  // namespace velqoris::testing
