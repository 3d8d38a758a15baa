// The board link's event host on the Qt event loop: a single-shot QTimer for
// its reply time-out, and processEvents() so the window stays live while the
// link waits for the board.
#pragma once

#include <QTimer>

#include <functional>

#include "board/Event_host.h"

namespace velqoris {

class QtEventHost final : public EventHost {
 public:
  QtEventHost();
  void ArmTimer(int milliseconds, std::function<void()> expired) override;
  void DisarmTimer() override;
  void ProcessEvents() override;

 private:
  QTimer timer_;
  std::function<void()> expired_;
};

}  // namespace velqoris
