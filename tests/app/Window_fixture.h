// A main window on the virtual board under a manual clock: the board's waits
// advance virtual time, idle passes run when the test says so, boxes and file
// dialogs are answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Velqoris_main.h"
#include "board/Clock.h"
#include "graph/Graph_2ch.h"
#include "message/Message_box.h"
#include "status/Mystatus.h"
#include "tests/support/Fake_event_host.h"
#include "virtualboard/Virtual_board.h"

namespace velqoris::testing {

// File names the test hands to the window, one per dialog, and what was asked.
class AnsweringDialogs final : public FileDialogs {
 public:
  std::optional<std::string> SaveFileName(QWidget*, const FileDialogRequest& r) override {
    requests.push_back(r);
    return Next();
  }
  std::optional<std::string> OpenFileName(QWidget*, const FileDialogRequest& r) override {
    requests.push_back(r);
    return Next();
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;

 private:
  std::optional<std::string> Next() {
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

class WindowTest : public ::testing::Test {
 protected:
  using ms = std::chrono::milliseconds;

  void SetUp() override {
    dialogs::SetBoxHandler([this](const dialogs::BoxRequest& r) {
      boxes.push_back(r);
      return boxAnswer;
    });
    Build();
  }
  void TearDown() override {
    form.reset();
    dialogs::SetBoxHandler({});
  }

  void Build(FormOptions options = {}) {
    form.reset();
    options.eventHost = &host;
    options.runClock = &clock;
    options.idleTimer = false;
    form = std::make_unique<TFormMain>(board, options);
    if (!form->Constructed()) return;
    auto answering = std::make_unique<AnsweringDialogs>();
    files = answering.get();
    form->SetFileDialogs(std::move(answering));
    form->show();
    form->IdleHandler();
  }

  template <typename T>
  T* Find(const char* name) const {
    T* found = form->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QComboBox* Combo(int n) const {
    return Find<QComboBox>(("ComboBox" + std::to_string(n)).c_str());
  }
  QRadioButton* Radio(const char* name) const { return Find<QRadioButton>(name); }
  QPushButton* MeasureBtn() const { return Find<QPushButton>("MeasureBtn"); }
  QAction* Action(const char* name) const { return Find<QAction>(name); }
  QString Panel(int n) const { return form->Status()->PanelText(n); }
  std::string PanelUtf8(int n) const { return Panel(n).toStdString(); }
  const QImage& Bitmap() const { return form->Graph()->Bitmap(); }
  QString LabelText(const char* name) const { return Find<QLabel>(name)->text(); }

  // Rate, count and channel chosen in the controls, then the measure button.
  void Choose(int spsSel, int countSel, int chSel) {
    Combo(1)->setCurrentIndex(spsSel);
    Combo(2)->setCurrentIndex(countSel);
    Combo(3)->setCurrentIndex(chSel);
  }
  void Press() { MeasureBtn()->click(); }
  // Virtual time passes, then one idle pass.
  void Pass(Clock::Duration dt) {
    clock.Advance(dt);
    form->IdleHandler();
  }
  // Idle passes until the run is over; false if it was still running after maxPasses.
  bool RunToEnd(Clock::Duration dt, int maxPasses = 20000) {
    for (int i = 0; i < maxPasses && form->Run()->IsMeasuring(); ++i) Pass(dt);
    return !form->Run()->IsMeasuring();
  }
  bool Measure(int spsSel, int countSel, int chSel) {
    Choose(spsSel, countSel, chSel);
    Press();
    return RunToEnd(ms(20));
  }
  void ClickStatusBar(Qt::MouseButton button = Qt::LeftButton);

  int Commands(const std::string& line) const {
    int n = 0;
    for (const auto& c : board.Commands()) n += c == line ? 1 : 0;
    return n;
  }

  ManualClock clock;
  VirtualBoard board{clock, 7};
  FakeEventHost host{clock, std::chrono::microseconds(100)};
  std::unique_ptr<TFormMain> form;
  AnsweringDialogs* files = nullptr;
  std::vector<dialogs::BoxRequest> boxes;
  int boxAnswer = 0;
};

// Pixels of the plot in the trace colours.
int CountPixels(const QImage& image, QRgb colour);
inline constexpr QRgb kRed = 0xffff0000;
inline constexpr QRgb kBlue = 0xff0000ff;

}  // namespace velqoris::testing
