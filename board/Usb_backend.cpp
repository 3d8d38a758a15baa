#include "board/Usb_backend.h"

#include <iostream>
#include <string>
#include <utility>

#include "board/Ftd2xx_library.h"
#ifdef VELQORIS_HAVE_LIBFTDI
#include "board/Libftdi_device.h"
#endif

namespace velqoris {

std::vector<BackendChain::Backend> UsbBackendOrder(
    std::function<std::unique_ptr<d2xx::Api>()> libftdi,
    std::function<std::unique_ptr<d2xx::Api>()> vendor) {
  BackendChain::Backend first{kLibftdiName, std::move(libftdi)};
  BackendChain::Backend second{kVendorName, std::move(vendor)};
#ifdef _WIN32
  std::swap(first, second);
#endif
  std::vector<BackendChain::Backend> order;
  order.push_back(std::move(first));
  order.push_back(std::move(second));
  return order;
}

std::unique_ptr<d2xx::Api> OpenUsbBackend() {
  auto libftdi = []() -> std::unique_ptr<d2xx::Api> {
#ifdef VELQORIS_HAVE_LIBFTDI
    return std::make_unique<LibftdiDevice>();
#else
    return nullptr;  // built without libftdi1
#endif
  };
  auto order = UsbBackendOrder(
      libftdi, []() -> std::unique_ptr<d2xx::Api> { return Ftd2xxLibrary::Load(); });
  return std::make_unique<BackendChain>(std::move(order), [](const std::string& name) {
    std::cerr << "VELQORIS: 基板を " << name << " で開きました\n";
  });
}

}  // namespace velqoris
