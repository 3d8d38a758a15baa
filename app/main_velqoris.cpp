// velqoris: the main window on the board's USB link.
#include <iostream>
#include <string>
#include <vector>

#include "app/Board_chooser.h"
#include "app/Program_entry.h"
#include "app/Window_arguments.h"
#include "board/Usb_backend.h"

int main(int argc, char** argv) {
  const auto parsed = velqoris::ParseWindowArguments({argv + 1, argv + argc});
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "velqoris: " << *error << '\n';
    return 2;
  }
  const auto& args = std::get<velqoris::WindowArguments>(parsed);
  // Without --device, several boards: the user picks one by its serial number when connecting.
  return velqoris::RunProgram(
      [&args] {
        return velqoris::OpenUsbBackend(
            velqoris::BoardChoice{args.device, velqoris::ChooseBoardInWindow});
      },
      args.device);
}
