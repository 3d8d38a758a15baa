#include "app/Velqoris_main.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <new>
#include <utility>

#include "app/Analysis_window.h"
#include "app/Qt_event_host.h"
#include "app/Recording_window.h"
#include "app/Window_placement.h"
#include "app/Window_remote.h"
#include "board/Ad7190.h"
#include "datafile/Myfile.h"
#include "datafile/Utf8_path.h"
#include "graph/Graph_2ch.h"
#include "graph/Graph_navigator.h"
#include "graph/Paint_box.h"
#include "message/Message_box.h"
#include "message/Mymessage.h"
#include "plots/Window_font.h"
#include "session/Held_data.h"
#include "session/Live_window.h"
#include "session/Run_history.h"
#include "session/Stats_line.h"
#include "status/Mystatus.h"

namespace velqoris {

namespace {

constexpr const char* kStartCaption = "測定開始";
constexpr const char* kStopCaption = "測定停止";
constexpr const char* kProgramCaption = "VELQORIS / v2.10";
constexpr const char* kBoardText = "VELQORIS Board";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

int ComboTextWidth(const QComboBox& combo, QRect rect) {
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  option.rect = QRect(QPoint(0, 0), rect.size());
  const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, &combo);
  return field.width() - 2;  // the item's text is drawn one pixel in from each side
}

int ComboItemWidth(const QComboBox& combo) {
  const QFontMetrics metrics(combo.font());
  int widest = 0;
  for (int i = 0; i < combo.count(); ++i) {
    widest = std::max(widest, metrics.horizontalAdvance(combo.itemText(i)));
  }
  return widest;
}

namespace {}  // namespace

TFormMain::TFormMain(d2xx::Api& device, FormOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      device_(device),
      dialogs_(std::make_unique<QtFileDialogs>()) {
  setObjectName("FormMain");
  setFont(WindowFont());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  BuildMenus();
  BuildControls();
  const int menuHeight = MainMenu1->sizeHint().height();
  setFixedSize(kClientWidth, kClientHeight + menuHeight);
  move(359, 187);

  QObject::connect(this, &TFormMain::RunStateChanged, this, [this](RunState state) {
    const bool idle = state == RunState::kIdle || state == RunState::kStarting;
    MeasureBtn->setText(Text(idle ? kStartCaption : kStopCaption));
  });
  idleTimer_.setSingleShot(false);
  QObject::connect(&idleTimer_, &QTimer::timeout, this, [this] { IdleHandler(); });

  constructed_ = CreateObjects(device);
  if (!constructed_) {
    close();
    return;
  }
  FormCreate();
}

TFormMain::~TFormMain() { FormDestroy(); }

// ---------------------------------------------------------------- layout

void TFormMain::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  MainMenu1->setNativeMenuBar(false);

  File1 = MainMenu1->addMenu(Text("ファイル(&F)"));
  File1->setObjectName("File1");
  Exit1 = File1->addAction(Text("終了(&X)"));
  Exit1->setObjectName("Exit1");
  QObject::connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });

  Data1 = MainMenu1->addMenu(Text("データ(&D)"));
  Data1->setObjectName("Data1");
  Save1 = Data1->addAction(Text("保存(&S)"));
  Save1->setObjectName("Save1");
  Load1 = Data1->addAction(Text("読込み(&O)"));
  Load1->setObjectName("Load1");
  N1 = Data1->addSeparator();
  N1->setObjectName("N1");
  DataClear = Data1->addAction(Text("クリア"));
  DataClear->setObjectName("DataClear");
  QObject::connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });
  QObject::connect(Load1, &QAction::triggered, this, [this] { Load1Click(); });
  QObject::connect(DataClear, &QAction::triggered, this, [this] { DataClearClick(); });
  History1 = Data1->addAction(Text("履歴を開く..."));
  History1->setObjectName("History1");
  QObject::connect(History1, &QAction::triggered, this, [this] { History1Click(); });
  Remote1 = Data1->addAction(Text("リモート制御"));
  Remote1->setObjectName("Remote1");
  Remote1->setCheckable(true);
  QObject::connect(Remote1, &QAction::triggered, this, [this] { Remote1Click(); });
  LiveView1 = Data1->addAction(Text("連続表示"));
  LiveView1->setObjectName("LiveView1");
  QObject::connect(LiveView1, &QAction::triggered, this, [this] { LiveView1Click(); });
  Data1->addSeparator();
  Record1 = Data1->addAction(Text("連続記録..."));
  Record1->setObjectName("Record1");
  QObject::connect(Record1, &QAction::triggered, this, [this] { Record1Click(); });

  MenuY = MainMenu1->addMenu(Text("Y軸表示"));
  MenuY->setObjectName("MenuY");
  MenuY_Volt = MenuY->addAction(Text("電圧値"));
  MenuY_Volt->setObjectName("MenuY_Volt");
  MenuY_Volt->setCheckable(true);
  MenuY_Volt->setChecked(false);
  QObject::connect(MenuY_Volt, &QAction::triggered, this, [this] { MenuY_VoltClick(); });
  MenuY->addSeparator();
  MenuY_Full = MenuY->addAction(Text("全体表示に戻す"));
  MenuY_Full->setObjectName("MenuY_Full");
  QObject::connect(MenuY_Full, &QAction::triggered, this, [this] { MenuY_FullClick(); });
  MenuY_Seconds = MenuY->addAction(Text("X軸を時間で表示"));
  MenuY_Seconds->setObjectName("MenuY_Seconds");
  MenuY_Seconds->setCheckable(true);
  QObject::connect(MenuY_Seconds, &QAction::triggered, this, [this] { MenuY_SecondsClick(); });
  MenuY_RangeStats = MenuY->addAction(Text("表示範囲の統計"));
  MenuY_RangeStats->setObjectName("MenuY_RangeStats");
  QObject::connect(MenuY_RangeStats, &QAction::triggered, this,
                   [this] { MenuY_RangeStatsClick(); });
  BuildViewMenus();
  BuildReferenceMenu();

  Analysis1 = MainMenu1->addMenu(Text("解析"));
  Analysis1->setObjectName("Analysis1");
  NoiseAnalysis1 = Analysis1->addAction(Text("ノイズ解析..."));
  NoiseAnalysis1->setObjectName("NoiseAnalysis1");
  QObject::connect(NoiseAnalysis1, &QAction::triggered, this, [this] { NoiseAnalysis1Click(); });
}

void TFormMain::BuildControls() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  client_->setGeometry(0, MainMenu1->sizeHint().height(), kClientWidth, kClientHeight);
  client_->installEventFilter(this);

  PaintBox1 = new TPaintBox(client_);
  PaintBox1->setObjectName("PaintBox1");
  Place(PaintBox1, QRect(72, 24, 560, 369), kLeft | kTop | kRight | kBottom);

  static constexpr std::array<int, 11> kYTops = {23,  50,  82,  123, 165, 206,
                                                 247, 288, 328, 362, 395};
  for (std::size_t i = 0; i < kYTops.size(); ++i) {
    const std::string name = "Label" + std::to_string(i + 1);
    YLabels[i] = AddLabel(name.c_str(), "8388608", QRect(16, kYTops[i], 42, 12), kLeft);
  }
  XLabels[0] = AddLabel("Label15", "Label15", QRect(72, 403, 39, 12), kLeft | kBottom);
  XLabels[1] = AddLabel("Label16", "Label16", QRect(592, 403, 39, 12), kRight | kBottom);

  AddLabel("Label14", "データレート", QRect(664, 8, 63, 12), kTop | kRight);
  ComboBox1 = AddCombo("ComboBox1",
                       {"5 sps", "10 sps", "20 sps", "50 sps", "60 sps", "100 sps", "200 sps",
                        "400 sps", "800 sps", "960 sps", "1200 sps", "2400 sps", "4800 sps"},
                       QRect(656, 24, 113, 20));
  AddLabel("Label12", "データ数", QRect(664, 52, 47, 13), kTop | kRight, 13);
  ComboBox2 = AddCombo("ComboBox2", {"100", "200", "500", "1000", "2000", "5000", "10000"},
                       QRect(656, 68, 113, 20));
  AddLabel("Label13", "測定 CH", QRect(664, 96, 47, 13), kTop | kRight, 13);
  ComboBox3 = AddCombo("ComboBox3", {"CH0 (Ain1-Ain2)", "CH1 (Ain3-Ain4)", "CH0 + CH1"},
                       QRect(656, 112, 113, 20));
  AddLabel("Label17", "内蔵アンプゲイン", QRect(664, 140, 88, 12), kTop | kRight);
  ComboBox4 = AddCombo("ComboBox4", {"1", "8", "16", "32", "64", "128"}, QRect(656, 156, 65, 20));

  AddRadioPanel("Panel2", QRect(656, 184, 113, 52), Sinc3_RB, "Sinc3_RB", "Sinc3", Sinc4_RB,
                "Sinc4_RB", "Sinc4");
  AddRadioPanel("Panel3", QRect(656, 236, 113, 52), BUFOFF_RB, "BUFOFF_RB", "BUF OFF", BUFON_RB,
                "BUFON_RB", "BUF ON");
  AddRadioPanel("Panel4", QRect(656, 288, 113, 52), CHOPOFF_RB, "CHOPOFF_RB", "CHOP OFF", CHOPON_RB,
                "CHOPON_RB", "CHOP ON");

  MeasureBtn = new QPushButton(Text(kStartCaption), client_);
  MeasureBtn->setObjectName("MeasureBtn");
  Place(MeasureBtn, QRect(656, 342, 113, 33), kTop | kRight);
  QObject::connect(MeasureBtn, &QPushButton::clicked, this, [this] { MeasureBtnClick(); });
  QuitBtn = new QPushButton(Text("終了"), client_);
  QuitBtn->setObjectName("QuitBtn");
  Place(QuitBtn, QRect(656, 376, 113, 33), kTop | kRight);
  QObject::connect(QuitBtn, &QPushButton::clicked, this, [this] { QuitBtnClick(); });

  StatusBar1 = new QStatusBar(client_);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setGeometry(0, 433, kClientWidth, 25);
  StatusBar1->installEventFilter(this);
}

QLabel* TFormMain::AddLabel(const char* name, const char* text, QRect rect, int anchors,
                            int pixelSize) {
  auto* label = new QLabel(Text(text), client_);
  label->setObjectName(name);
  if (pixelSize > 0) label->setFont(WindowFont(pixelSize));
  // Labels grow to their text, as the graph's labels do.
  rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
  Place(label, rect, anchors);
  return label;
}

QComboBox* TFormMain::AddCombo(const char* name, const std::vector<const char*>& items,
                               QRect rect) {
  auto* combo = new QComboBox(client_);
  combo->setObjectName(name);
  combo->setEditable(false);  // a pure selection list: an item is always selected
  for (const char* item : items) combo->addItem(Text(item));
  // A box too narrow for its longest item in this font grows to the right,
  // as the labels grow to their text: a cut item would be misread.
  rect.setWidth(rect.width() + std::max(0, ComboItemWidth(*combo) - ComboTextWidth(*combo, rect)));
  Place(combo, rect, kTop | kRight);
  // A changed choice takes effect only when the next run starts.
  QObject::connect(combo, &QComboBox::currentIndexChanged, this, [](int) {});
  return combo;
}

QFrame* TFormMain::AddRadioPanel(const char* name, QRect rect, QRadioButton*& first,
                                 const char* firstName, const char* firstText,
                                 QRadioButton*& second, const char* secondName,
                                 const char* secondText) {
  auto* panel = new QFrame(client_);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Place(panel, rect, kTop | kRight);
  // Each pair has its own parent, so the three pairs are independent groups.
  first = new QRadioButton(Text(firstText), panel);
  first->setObjectName(firstName);
  first->setGeometry(8, 8, 89, 17);
  second = new QRadioButton(Text(secondText), panel);
  second->setObjectName(secondName);
  second->setGeometry(8, 29, 89, 17);
  return panel;
}

void TFormMain::Place(QWidget* widget, QRect rect, int anchors) {
  widget->setGeometry(rect);
  placed_.push_back({widget, rect, anchors});
}

void TFormMain::LayOut() {
  const int menuHeight = MainMenu1->sizeHint().height();
  MainMenu1->setGeometry(0, 0, width(), menuHeight);
  client_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
  const int dw = client_->width() - kClientWidth;
  const int dh = client_->height() - kClientHeight;
  for (const Placed& p : placed_) {
    QRect r = p.designed;
    if ((p.anchors & kRight) != 0) {
      if ((p.anchors & kLeft) != 0) {
        r.setWidth(r.width() + dw);
      } else {
        r.translate(dw, 0);
      }
    }
    if ((p.anchors & kBottom) != 0) {
      if ((p.anchors & kTop) != 0) {
        r.setHeight(r.height() + dh);
      } else {
        r.translate(0, dh);
      }
    }
    // The graph moves its own labels; only a fresh layout puts them back.
    p.widget->setGeometry(r.width() < 0 || r.height() < 0 ? QRect(r.topLeft(), QSize()) : r);
  }
  // The status bar sits on the bottom edge until it is placed again.
  StatusBar1->setGeometry(0, client_->height() - StatusBar1->height(), client_->width(),
                          StatusBar1->height());
}

// ---------------------------------------------------------- construction

bool TFormMain::CreateObjects(d2xx::Api& device) {
  const auto failing = [this](const char* stage) {
    if (options_.failCreation == stage) throw std::bad_alloc();
  };
  try {
    failing("Z_Message");
    Message_ = std::make_unique<TmyMessage>("VELQORIS", kBoardText);
  } catch (const std::bad_alloc&) {
    dialogs::ShowError("致命的なメモリエラーです:Z_Message", kBoardText);
    return false;
  }
  const auto create = [&](const char* stage, auto&& make) {
    try {
      failing(stage);
      make();
      return true;
    } catch (const std::bad_alloc&) {
      Message_->ShowFatalMemoryError(stage);
      return false;
    }
  };
  if (!create("myStatus",
              [&] { Status_ = std::make_unique<TmyStatus>(*StatusBar1, kBoardText, 2); })) {
    return false;
  }
  if (!create("AD7190", [&] {
        EventHost* host = options_.eventHost;
        if (host == nullptr) {
          ownHost_ = std::make_unique<QtEventHost>();
          host = ownHost_.get();
        }
        Board_ = std::make_unique<TADC>(device, *host);
        const Clock* clock = options_.runClock;
        if (clock == nullptr) {
          ownClock_ = std::make_unique<SteadyClock>();
          clock = ownClock_.get();
        }
        run_ = std::make_unique<Acquisition>(*Board_, *clock, *host);
        // The old grid stays, without traces, until the new run draws.
        buffer_ = std::make_unique<RunBuffer>(data_, [this] {
          if (data_.HasData()) Graph_->DrawAxes(VoltMode());
        });
      })) {
    return false;
  }
  if (!create("FILE", [&] {
        File_ = std::make_unique<TmyFile>(
            [](const std::string& question) { return dialogs::AskYesNo(question, "確認"); });
      })) {
    return false;
  }
  if (!create("TGraph_2CH", [&] {
        Graph_ = std::make_unique<TGraph_2CH>(*PaintBox1, data_.Ch0, data_.Ch1, data_.Settings,
                                              YLabels, XLabels);
        Navigator_ = std::make_unique<TGraphNavigator>(
            *PaintBox1, *Graph_, [this] { return VoltMode(); }, [this] { ViewChanged(); });
        Navigator_->SetCursorExtra(
            [this](std::int64_t a, std::int64_t b) { return StatsLinesBetween(a, b); });
        Navigator_->SetNote([this] { return ReferenceLines(); });
      })) {
    return false;
  }

  history_ = std::make_unique<RunHistory>(
      options_.historyFolder.empty() ? RunHistory::DefaultFolder() : options_.historyFolder);

  SetRunState(RunState::kIdle);
  ComboBox1->setCurrentIndex(1);
  ComboBox2->setCurrentIndex(3);
  ComboBox3->setCurrentIndex(0);
  ComboBox4->setCurrentIndex(0);
  Sinc4_RB->setChecked(true);
  BUFOFF_RB->setChecked(true);
  CHOPOFF_RB->setChecked(true);

  data_.Settings = MeasureSettings{};
  data_.Settings.spsSel = ComboBox1->currentIndex();
  data_.Settings.DataCountSel = ComboBox2->currentIndex();
  data_.Settings.CHSel = ComboBox3->currentIndex();
  data_.Settings.GainSel = 0;
  data_.Settings.Gain = 1;
  data_.Settings.fSinc4 = 1;
  data_.Settings.fBUF_ON = 0;
  data_.Settings.fCHOP_ON = 0;

  fStatCH0 = false;
  fResizePending = false;
  fFirstIdle = true;
  fSaveOK = false;
  data_.DropData();
  data_.ResetBuffers();
  return true;
}

void TFormMain::FormCreate() {
  UpdateIdleTimer();
  SetCaption("");
  if (Utf8PathExists(RemoteSwitchFile())) SetRemote(true);
}

void TFormMain::FormDestroy() {
  idleTimer_.stop();
  remote_.reset();
  delete recorder_;
  recorder_ = nullptr;
  delete analysis_;
  analysis_ = nullptr;
  Message_.reset();
  Status_.reset();
  buffer_.reset();
  run_.reset();
  Board_.reset();
  File_.reset();
  Navigator_.reset();
  Graph_.reset();
}

void TFormMain::SetFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
  if (dialogs) dialogs_ = std::move(dialogs);
}

// -------------------------------------------------------- window events

void TFormMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
  FormResize();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Paint) {
    FormPaint();
  } else if (watched == StatusBar1 && event->type() == QEvent::MouseButtonPress) {
    // Only the left button switches the channel.
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    StatusBar1Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFormMain::FormResize() {
  if (!Graph_) return;
  Graph_->Resize();
  if (data_.Ch0.Count != 0 || data_.Ch1.Count != 0) {
    Graph_->DrawAll(VoltMode());
  } else {
    Graph_->DrawEmpty(VoltMode());
  }
  fResizePending = true;
  UpdateIdleTimer();
}

void TFormMain::FormPaint() {
  // The paint box paints the picture it was given; hand it over only when it
  // does not hold the graph's picture yet, or painting would never settle.
  if (Graph_ && PaintBox1->Picture() != &Graph_->Bitmap()) Graph_->Repaint();
}

void TFormMain::PlaceStatusBar() {
  StatusBar1->setGeometry(0, client_->height() - kBorderWidth - kStatusBarHeight, client_->width(),
                          kStatusBarHeight);
}

// --------------------------------------------------------------- idle

void TFormMain::IdleHandler() {
  if (busy_ > 0 || !constructed_) return;
  ++busy_;
  // The live view steps the acquisition itself.
  if (liveOn_) {
    LiveStep();
  } else if (run_->IsMeasuring()) {
    MeasureStep();
  }
  if (fFirstIdle) {
    fFirstIdle = false;
    MeasureBtn->setFocus();
    Graph_->DrawEmpty(VoltMode());
  }
  if (fResizePending) {
    fResizePending = false;
    PlaceStatusBar();
  }
  --busy_;
  UpdateIdleTimer();
}

void TFormMain::UpdateIdleTimer() {
  // Runs only while there is work: at once for the deferred jobs, a poll of
  // about half a block's time (1 … 50 ms) during a run, not at all otherwise.
  int interval = -1;
  if (fFirstIdle || fResizePending) {
    interval = 0;
  } else if (run_ && run_->IsMeasuring()) {
    // A run, or the live view.
    interval = Acquisition::PollIntervalMs(run_->Settings().spsSel);
  }
  idleInterval_ = interval;
  if (!options_.idleTimer) return;
  if (interval < 0) {
    idleTimer_.stop();
  } else if (!idleTimer_.isActive() || idleTimer_.interval() != interval) {
    idleTimer_.start(interval);
  }
}

// ------------------------------------------------------ settings and controls

bool TFormMain::VoltMode() const { return MenuY_Volt->isChecked(); }

void TFormMain::SetCaption(const std::string& text) {
  shownFile_ = text;
  QString caption = QString::fromUtf8(kProgramCaption);
  // The path as the system writes it ("\\" on Windows).
  if (!text.empty()) caption += " : " + QDir::toNativeSeparators(QString::fromStdString(text));
  setWindowTitle(caption);
}

MeasureSettings TFormMain::ControlsToSettings() const {
  MeasureSettings s = data_.Settings;
  s.spsSel = ComboBox1->currentIndex();
  s.DataCountSel = ComboBox2->currentIndex();
  s.CHSel = ComboBox3->currentIndex();
  s.GainSel = ComboBox4->currentIndex();
  s.Gain = DerivedGain(s.GainSel);
  s.fSinc4 = Sinc4_RB->isChecked() ? 1 : 0;
  s.fBUF_ON = BUFON_RB->isChecked() ? 1 : 0;
  s.fCHOP_ON = CHOPON_RB->isChecked() ? 1 : 0;
  return s;
}

void TFormMain::SettingsToControls(const MeasureSettings& s) {
  ComboBox1->setCurrentIndex(s.spsSel);
  ComboBox2->setCurrentIndex(s.DataCountSel);
  ComboBox3->setCurrentIndex(s.CHSel);
  ComboBox4->setCurrentIndex(s.GainSel);
  (s.fSinc4 == 1 ? Sinc4_RB : Sinc3_RB)->setChecked(true);
  (s.fBUF_ON == 1 ? BUFON_RB : BUFOFF_RB)->setChecked(true);
  (s.fCHOP_ON == 1 ? CHOPON_RB : CHOPOFF_RB)->setChecked(true);
}

void TFormMain::DisableControls() { SetControlsEnabled(false); }
void TFormMain::EnableControls() { SetControlsEnabled(true); }

void TFormMain::SetControlsEnabled(bool enabled) {
  for (QMenu* menu : {File1, Data1, MenuY, Analysis1}) menu->menuAction()->setEnabled(enabled);
  for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox2, ComboBox3, ComboBox4,
                                                    Sinc3_RB, Sinc4_RB, BUFON_RB, BUFOFF_RB,
                                                    CHOPON_RB, CHOPOFF_RB, QuitBtn, MeasureBtn}) {
    w->setEnabled(enabled);
  }
  // While a recording holds the device no run can start.
  if (recording_) MeasureBtn->setEnabled(false);
  // While a remote client holds control, as an instrument shows REM.
  if (remoteHeld_) {
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, ComboBox2, ComboBox3, ComboBox4,
                                                      Sinc3_RB, Sinc4_RB, BUFON_RB, BUFOFF_RB,
                                                      CHOPON_RB, CHOPOFF_RB, MeasureBtn}) {
      w->setEnabled(false);
    }
  }
}

void TFormMain::NoiseAnalysis1Click() {
  if (!constructed_) return;
  if (analysis_ == nullptr) {
    analysis_ = new AnalysisWindow(data_, this);
    analysis_->SetReference(reference_ ? &reference_->data : nullptr);
  }
  analysis_->DataChanged(VoltMode());
  ShowOnScreen(*analysis_);
}

void TFormMain::AnalysisDataChanged() {
  if (analysis_ != nullptr) analysis_->DataChanged(VoltMode());
  ViewChanged();
}

void TFormMain::QuitBtnClick() { close(); }
void TFormMain::Exit1Click() { close(); }

}  // namespace velqoris
