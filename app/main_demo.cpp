// velqoris-demo: the same window on the virtual board, in real time.
#include <memory>

#include "app/Program_entry.h"
#include "board/Clock.h"
#include "virtualboard/Virtual_board.h"

int main() {
  velqoris::SteadyClock clock;
  return velqoris::RunProgram([&clock] { return std::make_unique<velqoris::VirtualBoard>(clock); });
}
