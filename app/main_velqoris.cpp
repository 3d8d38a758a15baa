// velqoris: the main window on the board's USB link; its one argument is a
// data file to show (how a double-clicked .DTA arrives).
#include "app/Board_chooser.h"
#include "app/Program_entry.h"
#include "board/Usb_backend.h"
#include "datafile/Utf8_path.h"

int main(int argc, char** argv) {
  const auto file = velqoris::DataFileArgument(velqoris::Utf8Arguments(argc, argv));
  // Several boards: the user picks one by its serial number when connecting.
  velqoris::BoardChoice choice;
  choice.choose = velqoris::ChooseBoardInWindow;
  return velqoris::RunProgram([choice] { return velqoris::OpenUsbBackend(choice); }, file);
}
