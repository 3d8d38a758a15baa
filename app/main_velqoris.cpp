// velqoris: the main window on the board's USB link.
#include "app/Board_chooser.h"
#include "app/Program_entry.h"
#include "board/Usb_backend.h"

int main() {
  // Several boards: the user picks one by its serial number when connecting.
  return velqoris::RunProgram([] {
    velqoris::BoardChoice choice;
    choice.choose = velqoris::ChooseBoardInWindow;
    return velqoris::OpenUsbBackend(choice);
  });
}
