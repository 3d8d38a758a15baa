// The window's texts measured against the boxes the window was designed
// with: axis labels, combo items, radio and button captions, and the labels
// the graph writes for 8-digit codes and for microvolts at gain 128.
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>

#include <fstream>
#include <vector>

#include "plots/Window_font.h"
#include "tests/app/Window_fixture.h"

namespace velqoris::testing {
namespace {

class FontTest : public WindowTest {
 protected:
  int Advance(const QWidget* widget, const char* text) const {
    return QFontMetrics(widget->font()).horizontalAdvance(QString::fromUtf8(text));
  }
  // A one-channel CH0 file at that gain.
  void Load(const std::vector<std::int32_t>& codes, int gainSel) {
    const std::string path = QDir(dir.path()).filePath("f.DTA").toStdString();
    {
      std::ofstream out(path, std::ios::binary);
      out << "VELQORIS_DataFile:\r\nM:\r\nspsSel:12\r\nDataCountSel:0\r\nCHSel:0\r\nGainSel:"
          << gainSel << "\r\nfSinc4:1\r\nfBUF_ON:0\r\nfCHOP_ON:0\r\nMEND:\r\nD:\r\n";
      for (const std::int32_t c : codes) out << c << "\r\n";
      out << "DEND:\r\n";
    }
    files->answers.push_back(path);
    Action("Load1")->trigger();
    ASSERT_TRUE(boxes.empty());
  }
  // Every Y label whole inside the window and left of the plot.
  void ExpectYLabelsFit(int rightLimit) {
    const QRect box = Find<QWidget>("PaintBox1")->geometry();
    for (int i = 1; i <= 11; ++i) {
      const QLabel* label = Find<QLabel>(("Label" + std::to_string(i)).c_str());
      const std::string text = label->text().toStdString();
      EXPECT_GE(label->x(), 0) << text;
      EXPECT_LE(label->x() + label->width(), box.left() - rightLimit) << text;
      // The label shows its whole text.
      EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()))
          << text;
    }
  }
  QTemporaryDir dir;
};

// What is measured here is the font the window chose, drawn as itself: on
// Linux VL Gothic or IPAGothic, on Japanese Windows MS PGothic or one of its
// UI fonts, under wine the Japanese font put into the prefix's Fonts folder.
TEST_F(FontTest, TheChosenFontIsInstalledAndDrawsTheWindow) {
  const QString family = WindowFontFamily();
  EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString();
  EXPECT_EQ(QFontInfo(Find<QLabel>("Label1")->font()).family(), family) << family.toStdString();
}

TEST_F(FontTest, DesignedTextsFitTheirBoxes) {
  const QLabel* y = Find<QLabel>("Label1");
  EXPECT_LE(Advance(y, "8388608"), 42);   // the designed label
  EXPECT_LE(Advance(y, "16777215"), 50);  // the code column left of the plot
  EXPECT_LE(Advance(y, "-19.52855mV"), 72 - 3);

  const QRect client = form->ClientArea()->rect();
  for (int n = 1; n <= 4; ++n) {
    const QComboBox* combo = Combo(n);
    EXPECT_LE(ComboItemWidth(*combo), ComboTextWidth(*combo, combo->geometry())) << n;
    EXPECT_TRUE(client.contains(combo->geometry())) << n;
  }
  for (const char* name :
       {"Sinc3_RB", "Sinc4_RB", "BUFOFF_RB", "BUFON_RB", "CHOPOFF_RB", "CHOPON_RB"}) {
    const QRadioButton* radio = Radio(name);
    EXPECT_LE(radio->sizeHint().width(), radio->width()) << name;
  }
  for (const char* name : {"MeasureBtn", "QuitBtn"}) {
    const QPushButton* button = Find<QPushButton>(name);
    EXPECT_LE(button->sizeHint().width(), button->width()) << name;
  }
  // Captions are whole, inside the window, and over no other control.
  for (const char* name : {"Label12", "Label13", "Label14", "Label17"}) {
    const QLabel* caption = Find<QLabel>(name);
    EXPECT_GE(caption->width(), Advance(caption, caption->text().toUtf8().constData())) << name;
    EXPECT_TRUE(client.contains(caption->geometry())) << name;
    for (const QWidget* other :
         form->ClientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (other == caption || !other->isVisible()) continue;
      EXPECT_FALSE(caption->geometry().intersects(other->geometry()))
          << name << " over " << other->objectName().toStdString();
    }
  }
}

TEST_F(FontTest, EightDigitCodeLabelsStayLeftOfThePlot) {
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 100; ++i) codes.push_back(10000000 + 40000 * (i % 50));
  Load(codes, 0);
  ASSERT_EQ(LabelText("Label1").size(), 8);
  ExpectYLabelsFit(0);
  // The full converter range.
  Load({0, 16777215, 8388608, 0, 16777215, 8388608, 0, 16777215, 8388608, 0}, 0);
  ASSERT_EQ(LabelText("Label1"), "19000000");
  ExpectYLabelsFit(0);
}

TEST_F(FontTest, MicrovoltLabelsAtGain128AreWhole) {
  Action("MenuY_Volt")->trigger();
  // Near negative full scale with a few codes of noise: "-19.52...mV" labels.
  std::vector<std::int32_t> codes;
  for (int i = 0; i < 100; ++i) codes.push_back(1163 + (i * 37) % 90);
  Load(codes, 5);
  ASSERT_TRUE(LabelText("Label1").startsWith("-19.52")) << LabelText("Label1").toStdString();
  ASSERT_TRUE(LabelText("Label1").endsWith("mV"));
  ExpectYLabelsFit(3);
  // Full range at gain 128, and the default labels.
  Load({0, 16777215, 8388608, 0, 16777215, 8388608, 0, 16777215, 8388608, 0}, 5);
  ExpectYLabelsFit(3);
  Action("DataClear")->trigger();
  ExpectYLabelsFit(3);
}

}  // namespace
}  // namespace velqoris::testing
