#include "status/Mystatus.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

#include <climits>
#include <utility>

#include "status/Status_text.h"

namespace velqoris {

namespace {

std::string Text(std::string_view view) { return std::string(view); }

}  // namespace

TmyStatus::TmyStatus(QStatusBar& bar, std::string boardName, int lastPanel)
    : bar_(&bar), boardName_(std::move(boardName)), lastPanel_(lastPanel) {
  for (auto& panel : panels_) {
    auto* label = new QLabel(&bar);
    // Board replies and file paths are shown as they are, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(kStartWidth);
    bar.addWidget(label);
    panel = label;
  }
}

void TmyStatus::SetPanelText(const std::string& text, int panel) {
  if (bar_ != nullptr) SetPanelText(text, panel, bar_->font());
}

void TmyStatus::SetPanelText(const std::string& text, int panel, const QFont& font) {
  // Only three panels exist, whatever lastPanel says.
  if (panel < 0 || panel > lastPanel_ || panel >= kPanelCount) return;
  QLabel* label = panels_[static_cast<std::size_t>(panel)];
  if (label == nullptr || bar_ == nullptr) return;
  const QString qtext = QString::fromStdString(text);
  label->setFont(font);
  label->setText(qtext);
  label->setFixedWidth(WidthFor(text, font));
}

int TmyStatus::WidthFor(const std::string& text, const QFont& font) {
  const int width = QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
  return width > 100 ? width + 5 : kMinWrittenWidth;
}

void TmyStatus::ShowPair(const std::string& text1, const std::string& text2) {
  SetPanelText(PairText(text1, text2), 0);
}
void TmyStatus::ShowBoardNotFound() { SetPanelText(BoardNotFoundText(boardName_), 0); }
void TmyStatus::ShowBoardNoResponse() { SetPanelText(BoardNoResponseText(boardName_), 0); }
void TmyStatus::ShowBoardError() { SetPanelText(BoardErrorText(boardName_), 0); }
void TmyStatus::ShowMeasuring() { SetPanelText(Text(kMeasuringText), 1); }
void TmyStatus::ShowMeasureEnd() { SetPanelText(Text(kMeasureEndText), 1); }
void TmyStatus::ShowMeasureStop() { SetPanelText(Text(kMeasureStopText), 1); }
void TmyStatus::ShowFileLoaded() { SetPanelText(Text(kFileLoadedText), 1); }
void TmyStatus::ShowFileSaved() { SetPanelText(Text(kFileSavedText), 1); }
void TmyStatus::ShowStarting() { SetPanelText(Text(kStartingText), 2); }
void TmyStatus::ShowMeasureError() { SetPanelText(Text(kMeasureErrorText), 2); }

void TmyStatus::ShowSample(std::int32_t n, std::int32_t code) {
  SetPanelText(SampleText(n, code), 2);
}

void TmyStatus::ShowSample2(std::int32_t n, std::int32_t code0, std::int32_t code1) {
  SetPanelText(Sample2Text(n, code0, code1), 2);
}

void TmyStatus::ShowCodeStats(std::int32_t channel, std::int32_t max, std::int32_t min, float sd) {
  ShowStatsLine([&](int d) { return CodeStatsText(channel, max, min, sd, d); },
                CodeStatsDecimals(sd));
}

void TmyStatus::ShowVoltStats(std::int32_t channel, float max, float min, float sd) {
  ShowStatsLine([&](int d) { return VoltStatsText(channel, max, min, sd, d); },
                VoltStatsDecimals(sd));
}

int TmyStatus::Room(int panel) const {
  // Beside each panel the bar's layout leaves a gap and a frame.
  constexpr int kGap = 8;
  if (bar_ == nullptr || !bar_->isVisible()) return INT_MAX;
  int used = 0;
  for (int i = 0; i < kPanelCount; ++i) {
    const QLabel* label = panels_[static_cast<std::size_t>(i)];
    if (i != panel && label != nullptr) used += label->width() + kGap;
  }
  return bar_->contentsRect().width() - used - kGap;
}

bool TmyStatus::Fits(const std::string& text, int panel, const QFont& font) const {
  return WidthFor(text, font) <= Room(panel);
}

void TmyStatus::ShowStatsLine(const std::function<std::string(int decimals)>& line, int decimals) {
  if (bar_ == nullptr) return;
  const std::string full = line(decimals);
  std::string text = full;
  QFont font = bar_->font();
  while (decimals > 0 && !Fits(text, 2, font)) text = line(--decimals);
  // Then a smaller type, down to three quarters of the bar's.
  const qreal points = font.pointSizeF();
  const int pixels = font.pixelSize();
  for (int percent = 95; percent >= 75 && !Fits(text, 2, font); percent -= 5) {
    if (points > 0) font.setPointSizeF(points * percent / 100);
    if (points <= 0 && pixels > 0) font.setPixelSize(std::max(1, pixels * percent / 100));
  }
  // Still too wide: whole fields go from the end, so no number is ever cut.
  for (auto cut = text.rfind(" / "); !Fits(text, 2, font) && cut != std::string::npos;
       cut = text.rfind(" / ")) {
    text.erase(cut);
  }
  SetPanelText(text, 2, font);
  if (QLabel* label = panels_[2]; label != nullptr)
    label->setToolTip(text == full ? QString() : QString::fromStdString(full));
}

void TmyStatus::ClearInfo() {
  SetPanelText(std::string(), 2);
  if (QLabel* label = panels_[2]; label != nullptr) label->setToolTip(QString());
}

QString TmyStatus::PanelText(int panel) const {
  if (panel < 0 || panel >= kPanelCount) return {};
  const QLabel* label = panels_[static_cast<std::size_t>(panel)];
  return label != nullptr ? label->text() : QString();
}

QString TmyStatus::PanelToolTip(int panel) const {
  if (panel < 0 || panel >= kPanelCount) return {};
  const QLabel* label = panels_[static_cast<std::size_t>(panel)];
  return label != nullptr ? label->toolTip() : QString();
}

int TmyStatus::PanelWidth(int panel) const {
  if (panel < 0 || panel >= kPanelCount) return 0;
  const QLabel* label = panels_[static_cast<std::size_t>(panel)];
  return label != nullptr ? label->width() : 0;
}

}  // namespace velqoris
