// データ → リモート制御: the window as an SCPI instrument on 127.0.0.1
// (remote/). A client's runs are the window's own runs (drawn, kept in the
// history); while a client holds control the measurement controls are grey
// and the status bar says so, with a button that takes control back.
#pragma once

#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <deque>
#include <functional>
#include <memory>

#include "remote/Scpi_server.h"
#include "scpi/Acquisition.h"
#include "scpi/Instrument.h"

namespace velqoris {

class TFormMain;

// The window's run as the instrument's acquisition: every run the window
// starts (a client's or the user's) ends when its run state returns to idle.
class WindowAcquisition final : public scpi::Acquisition {
 public:
  WindowAcquisition(TFormMain& form, std::function<void()> notify);
  ~WindowAcquisition() override;
  void Start(const MeasureSettings& settings) override;
  void Abort() override;
  // Long logs belong to the window's recording, which the user starts.
  bool StartLog(const std::string&, const MeasureSettings&, std::int64_t) override { return false; }
  std::optional<RunEnd> TakeEnd() override;
  scpi::LogProgress Log() const override { return {}; }
  const RunData& Data() const override;
  scpi::BoardIdentity Identity() const override;

 private:
  void Ended(RunEnd end);

  TFormMain& form_;
  std::function<void()> notify_;
  bool running_ = false;
  std::deque<RunEnd> ends_;
  QMetaObject::Connection state_;
};

class WindowRemote {
 public:
  // Listens on 127.0.0.1:port (0: any free port); Listening() says whether it could.
  WindowRemote(TFormMain& form, quint16 port);
  ~WindowRemote();
  bool Listening() const { return server_.IsListening(); }
  quint16 Port() const { return server_.Port(); }
  bool ClientHolds() const { return server_.HasClient(); }
  void TakeControlBack() { server_.DropClient(); }

 private:
  void ShowState();

  TFormMain& form_;
  WindowAcquisition acquisition_;
  scpi::Instrument instrument_;
  remote::ScpiServer server_;
  QLabel* state_ = nullptr;
  QPushButton* release_ = nullptr;
};

}  // namespace velqoris
