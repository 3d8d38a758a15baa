// The main window's status bar: three text panels, each written only through
// SetPanelText, which also sizes the panel to its new text.
#pragma once

#include <QFont>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QStatusBar;

namespace velqoris {

class TmyStatus {
 public:
  static constexpr int kPanelCount = 3;
  static constexpr int kStartWidth = 50;
  static constexpr int kMinWrittenWidth = 105;

  // Adds the three empty panels to the bar (which owns them). Writes to a
  // panel above lastPanel are ignored.
  TmyStatus(QStatusBar& bar, std::string boardName, int lastPanel);
  TmyStatus(const TmyStatus&) = delete;
  TmyStatus& operator=(const TmyStatus&) = delete;

  // Text is UTF-8.
  void SetPanelText(const std::string& text, int panel);

  void ShowPair(const std::string& text1, const std::string& text2);
  void ShowBoardNotFound();
  void ShowBoardNoResponse();
  void ShowBoardError();
  void ShowMeasuring();
  void ShowMeasureEnd();
  void ShowMeasureStop();
  void ShowFileLoaded();
  void ShowFileSaved();
  void ShowStarting();
  void ShowMeasureError();
  void ShowSample(std::int32_t n, std::int32_t code);
  void ShowSample2(std::int32_t n, std::int32_t code0, std::int32_t code1);
  void ShowCodeStats(std::int32_t channel, std::int32_t max, std::int32_t min, float sd);
  void ShowVoltStats(std::int32_t channel, float max, float min, float sd);
  void ClearInfo();

  // For tests: an empty text and width 0 for a panel that does not exist.
  QString PanelText(int panel) const;
  QString PanelToolTip(int panel) const;
  int PanelWidth(int panel) const;

 private:
  // The width the panel may take: the bar's, less the other panels'.
  int Room(int panel) const;
  bool Fits(const std::string& text, int panel, const QFont& font) const;
  void SetPanelText(const std::string& text, int panel, const QFont& font);
  static int WidthFor(const std::string& text, const QFont& font);
  // The statistics line in the last panel, never cut inside a number: fewer
  // decimals first, then a smaller type, then whole trailing fields; the full
  // line is the tooltip.
  void ShowStatsLine(const std::function<std::string(int decimals)>& line, int decimals);

  QPointer<QStatusBar> bar_;
  std::string boardName_;
  int lastPanel_;
  std::array<QPointer<QLabel>, kPanelCount> panels_;
};

}  // namespace velqoris
