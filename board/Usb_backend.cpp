#include "board/Usb_backend.h"

#include "board/Ftd2xx_library.h"
#include "board/Libftdi_device.h"

namespace velqoris {

std::unique_ptr<d2xx::Api> OpenUsbBackend() {
  if (auto vendor = Ftd2xxLibrary::Load()) return vendor;
  return std::make_unique<LibftdiDevice>();
}

}  // namespace velqoris
