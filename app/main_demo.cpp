// velqoris-demo: the same window on the virtual board, in real time. Its only
// arguments are the virtual board's test signals.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Demo_options.h"
#include "app/Program_entry.h"
#include "board/Clock.h"
#include "virtualboard/Virtual_board.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto parsed = velqoris::ParseDemoArguments(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "velqoris-demo: " << *error << "\n" << velqoris::DemoUsage();
    return 2;
  }
  const auto& options = std::get<velqoris::DemoOptions>(parsed);
  if (options.help) {
    std::cout << velqoris::DemoUsage();
    return 0;
  }
  velqoris::SteadyClock clock;
  return velqoris::RunProgram([&clock, &options] {
    auto board = std::make_unique<velqoris::VirtualBoard>(clock);
    velqoris::ApplyDemoOptions(board->Signal(), options);
    return board;
  });
}
