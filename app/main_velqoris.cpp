// velqoris: the main window on the board's USB link; its arguments are
// --device SERIAL and a data file to show (how a double-clicked .DTA arrives).
#include <iostream>
#include <string>

#include "app/Board_chooser.h"
#include "app/Program_entry.h"
#include "app/Window_arguments.h"
#include "board/Usb_backend.h"
#include "datafile/Utf8_path.h"

int main(int argc, char** argv) {
  const auto parsed = velqoris::ParseWindowArguments(velqoris::Utf8Arguments(argc, argv));
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "velqoris: " << *error << '\n';
    return 2;
  }
  const auto& args = std::get<velqoris::WindowArguments>(parsed);
  // Without --device, several boards: the user picks one by its serial number when connecting.
  velqoris::BoardChoice choice;
  choice.serial = args.device;
  choice.choose = velqoris::ChooseBoardInWindow;
  return velqoris::RunProgram([choice] { return velqoris::OpenUsbBackend(choice); }, args);
}
