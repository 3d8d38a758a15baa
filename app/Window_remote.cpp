#include "app/Window_remote.h"

#include <QMetaObject>
#include <QStatusBar>

#include "app/Velqoris_main.h"

namespace velqoris {

namespace {

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

WindowAcquisition::WindowAcquisition(TFormMain& form, std::function<void()> notify)
    : form_(form), notify_(std::move(notify)) {
  state_ = QObject::connect(&form, &TFormMain::RunStateChanged, [this](TFormMain::RunState state) {
    if (state == TFormMain::RunState::kStarting) running_ = true;
    if (state != TFormMain::RunState::kIdle || !running_) return;
    running_ = false;
    Ended(form_.Run()->Result().end);
  });
}

WindowAcquisition::~WindowAcquisition() { QObject::disconnect(state_); }

void WindowAcquisition::Start(const MeasureSettings& settings) {
  if (!form_.StartRemoteRun(settings)) Ended(RunEnd::kRefused);
}

void WindowAcquisition::Abort() { form_.StopRemoteRun(); }

std::optional<RunEnd> WindowAcquisition::TakeEnd() {
  if (ends_.empty()) return std::nullopt;
  const RunEnd end = ends_.front();
  ends_.pop_front();
  return end;
}

const RunData& WindowAcquisition::Data() const { return form_.Data(); }

scpi::BoardIdentity WindowAcquisition::Identity() const {
  if (form_.Run() == nullptr) return {};
  return {form_.Run()->BoardName(), form_.Run()->BoardVersion(), std::string(1, '0')};
}

void WindowAcquisition::Ended(RunEnd end) {
  ends_.push_back(end);
  notify_();
}

WindowRemote::WindowRemote(TFormMain& form, quint16 port)
    : form_(form),
      // The window reports a run's end inside its own handlers: the server
      // takes it up once they have returned.
      acquisition_(form,
                   [this] {
                     QMetaObject::invokeMethod(&server_, &remote::ScpiServer::Resume,
                                               Qt::QueuedConnection);
                   }),
      instrument_(acquisition_, "velqoris", scpi::FilePolicy{}),
      server_(instrument_) {
  server_.Listen(QHostAddress::LocalHost, port);
  state_ = new QLabel(form.StatusBar());
  state_->setObjectName("RemoteState");
  release_ = new QPushButton(Text("リモート制御を解除"), form.StatusBar());
  release_->setObjectName("RemoteRelease");
  form.StatusBar()->addPermanentWidget(state_);
  form.StatusBar()->addPermanentWidget(release_);
  QObject::connect(release_, &QPushButton::clicked, [this] { TakeControlBack(); });
  QObject::connect(&server_, &remote::ScpiServer::ClientChanged, [this](bool connected) {
    form_.SetRemoteHeld(connected);
    ShowState();
  });
  ShowState();
}

WindowRemote::~WindowRemote() {
  server_.Close();
  delete release_;
  delete state_;
}

void WindowRemote::ShowState() {
  if (!server_.IsListening()) {
    state_->setText(Text("リモート: ポートを開けません (") + server_.ErrorText() + ")");
  } else if (server_.HasClient()) {
    state_->setText(Text("リモート制御中 (") + server_.ClientName() + ")");
  } else {
    state_->setText(Text("リモート: 127.0.0.1:") + QString::number(server_.Port()) +
                    Text(" で待機中"));
  }
  release_->setVisible(server_.HasClient());
}

}  // namespace velqoris
