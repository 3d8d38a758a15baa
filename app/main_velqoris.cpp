// velqoris: the main window on the board's USB link.
#include "app/Program_entry.h"
#include "board/Usb_backend.h"

int main() {
  return velqoris::RunProgram([] { return velqoris::OpenUsbBackend(); });
}
