#include "board/Usb_backend.h"

#include <iostream>
#include <string>
#include <utility>

#include "board/Ftd2xx_library.h"
#ifdef VELQORIS_HAVE_LIBFTDI
#include "board/Libftdi_device.h"
#include "board/Libftdi_transport.h"
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

std::unique_ptr<d2xx::Api> OpenUsbBackend(const BoardChoice& choice) {
  auto libftdi = [choice]() -> std::unique_ptr<d2xx::Api> {
#ifdef VELQORIS_HAVE_LIBFTDI
    auto board = [choice]() -> std::unique_ptr<UsbTransport> {
      std::string serial;
      auto transport = OpenBoard(
          LibftdiTransport::Chips(choice.roots),
          [](int index) {
            return std::unique_ptr<UsbTransport>(LibftdiTransport::OpenChip(index));
          },
          choice, &serial);
      if (transport) std::cerr << "VELQORIS: 基板のシリアル番号 " << serial << "\n";
      return transport;
    };
    return std::make_unique<LibftdiDevice>(board);
#else
    (void)choice;
    return nullptr;  // built without libftdi1
#endif
  };
  // The vendor library cannot tell boards apart by serial number.
  auto order = UsbBackendOrder(libftdi, [serial = choice.serial]() -> std::unique_ptr<d2xx::Api> {
    if (!serial.empty()) return nullptr;
    return Ftd2xxLibrary::Load();
  });
  return std::make_unique<BackendChain>(std::move(order), [](const std::string& name) {
    std::cerr << "VELQORIS: 基板を " << name << " で開きました\n";
  });
}

std::vector<std::string> CandidateBoardSerials() {
#ifdef VELQORIS_HAVE_LIBFTDI
  std::vector<std::string> serials;
  for (const ChipEntry& chip : LibftdiTransport::Chips(SystemRoots{})) {
    if (!chip.inUse) serials.push_back(chip.serial);
  }
  return serials;
#else
  return {};
#endif
}

}  // namespace velqoris
