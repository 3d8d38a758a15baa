#include "board/Libftdi_transport.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace velqoris {

namespace {
constexpr int kVendor = 0x0403;
constexpr int kProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr int kStatusBytes = 2;  // modem and line status at the start of every packet

// The kernel's name of channel A's interface: "BUS-PORT.PORT…:1.0".
std::string InterfaceName(libusb_device* dev) {
  std::uint8_t ports[8];
  const int n = libusb_get_port_numbers(dev, ports, sizeof ports);
  if (n <= 0) return {};
  std::string name = std::to_string(libusb_get_bus_number(dev)) + "-";
  for (int i = 0; i < n; ++i) name += (i > 0 ? "." : "") + std::to_string(ports[i]);
  return name + ":1.0";
}

bool Known(libusb_device* dev) {
  libusb_device_descriptor desc{};
  if (libusb_get_device_descriptor(dev, &desc) != 0 || desc.idVendor != kVendor) return false;
  for (int product : kProducts)
    if (desc.idProduct == product) return true;
  return false;
}
}  // namespace

std::vector<ChipEntry> LibftdiTransport::Chips(const SystemRoots& roots) {
  std::vector<ChipEntry> chips;
  Context owner(ftdi_new());
  ftdi_context* context = owner.get();
  if (context == nullptr) return chips;
  ftdi_device_list* list = nullptr;
  if (ftdi_usb_find_all(context, &list, 0, 0) >= 0) {
    for (ftdi_device_list* item = list; item != nullptr; item = item->next) {
      if (!Known(item->dev)) continue;
      ChipEntry chip;
      // Whose tty it is: channel A is the first interface of the first configuration.
      chip.inUse = InterfaceInUse(roots, InterfaceName(item->dev));
      char serial[128] = {};
      // Descriptors only: the interface is not claimed, the driver keeps it.
      if (ftdi_usb_get_strings(context, item->dev, nullptr, 0, nullptr, 0, serial, sizeof serial) !=
          0)
        serial[0] = '\0';
      chip.serial = serial;
      chips.push_back(std::move(chip));
    }
  }
  ftdi_list_free(&list);
  return chips;
}

std::unique_ptr<LibftdiTransport> LibftdiTransport::OpenChip(int index) {
  Context owner(ftdi_new());
  ftdi_context* context = owner.get();
  if (context == nullptr) return nullptr;
  if (ftdi_set_interface(context, INTERFACE_A) != 0) return nullptr;
  // A chip that turns out not to be the board goes back to its serial driver.
  context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
  ftdi_device_list* list = nullptr;
  // Vendor and product 0 list the usual FTDI ids; the filter keeps only ours.
  if (ftdi_usb_find_all(context, &list, 0, 0) < 0) return nullptr;
  bool opened = false;
  int known = 0;
  for (ftdi_device_list* item = list; item != nullptr; item = item->next) {
    if (!Known(item->dev) || known++ != index) continue;
    // Opening detaches the kernel's serial driver from the interface.
    opened = ftdi_usb_open_dev(context, item->dev) == 0;
    break;
  }
  ftdi_list_free(&list);
  if (!opened || ftdi_set_bitmode(context, 0xFF, BITMODE_RESET) != 0 ||
      ftdi_set_latency_timer(context, kLatencyMs) != 0) {
    return nullptr;
  }
  const int packet =
      context->max_packet_size > kStatusBytes ? static_cast<int>(context->max_packet_size) : 64;
  std::unique_ptr<LibftdiTransport> transport(new LibftdiTransport(std::move(owner), packet));
  if (transport->Purge(true, true) != 0) return nullptr;
  return transport;
}

void LibftdiTransport::ContextRelease::operator()(ftdi_context* context) const {
  if (context->usb_dev != nullptr) ftdi_usb_close(context);
  ftdi_free(context);
}

LibftdiTransport::LibftdiTransport(Context context, int packetSize)
    : context_(std::move(context)), packetSize_(packetSize) {}

LibftdiTransport::~LibftdiTransport() = default;

int LibftdiTransport::Status(int libusbResult) {
  return libusbResult == LIBUSB_ERROR_NO_DEVICE ? kGone : std::min(libusbResult, -1);
}

int LibftdiTransport::Deliver(std::uint8_t* buffer, int size) {
  const std::size_t n = std::min(spill_.size() - spillAt_, static_cast<std::size_t>(size));
  std::memcpy(buffer, spill_.data() + spillAt_, n);
  spillAt_ += n;
  if (spillAt_ == spill_.size()) {
    spill_.clear();
    spillAt_ = 0;
  }
  return static_cast<int>(n);
}

int LibftdiTransport::Read(std::uint8_t* buffer, int size) {
  if (size <= 0) return 0;
  if (!spill_.empty()) return Deliver(buffer, size);
  // Whole packets only (a part-sized request would overflow on a full packet),
  // no more than the caller can take, at least one.
  const int payload = packetSize_ - kStatusBytes;
  const int wanted = (size + payload - 1) / payload;
  const int packets = std::max(1, std::min(wanted, chunk_ / packetSize_));
  const int length = packets * packetSize_;
  if (raw_.size() < static_cast<std::size_t>(length)) raw_.resize(static_cast<std::size_t>(length));
  int actual = 0;
  const int r =
      libusb_bulk_transfer(context_->usb_dev, static_cast<unsigned char>(context_->out_ep),
                           raw_.data(), length, &actual, kReadTimeoutMs);
  // A time-out still hands over the packets that arrived before it.
  if (r != 0 && r != LIBUSB_ERROR_TIMEOUT) return Status(r);
  int kept = 0;
  for (int at = 0; at < actual; at += packetSize_) {
    const int n = std::min(packetSize_, actual - at) - kStatusBytes;
    if (n <= 0) continue;
    std::memmove(raw_.data() + kept, raw_.data() + at + kStatusBytes, static_cast<std::size_t>(n));
    kept += n;
  }
  if (kept == 0) return r == 0 ? 0 : kTimedOut;
  const int now = std::min(kept, size);
  std::memcpy(buffer, raw_.data(), static_cast<std::size_t>(now));
  spill_.assign(raw_.begin() + now, raw_.begin() + kept);
  spillAt_ = 0;
  return now;
}

int LibftdiTransport::Write(const std::uint8_t* data, int size) {
  int sent = 0;
  const int r = libusb_bulk_transfer(context_->usb_dev, static_cast<unsigned char>(context_->in_ep),
                                     const_cast<std::uint8_t*>(data), size, &sent, kWriteTimeoutMs);
  return r == 0 ? sent : Status(r);
}

int LibftdiTransport::Purge(bool receive, bool transmit) {
  auto reset = [this](int value) {
    return libusb_control_transfer(context_->usb_dev, FTDI_DEVICE_OUT_REQTYPE, SIO_RESET_REQUEST,
                                   static_cast<std::uint16_t>(value),
                                   static_cast<std::uint16_t>(context_->index), nullptr, 0,
                                   kWriteTimeoutMs);
  };
  if (receive) {
    spill_.clear();
    spillAt_ = 0;
    if (const int r = reset(SIO_TCIFLUSH); r < 0) return Status(r);
  }
  if (transmit) {
    if (const int r = reset(SIO_TCOFLUSH); r < 0) return Status(r);
  }
  return 0;
}

int LibftdiTransport::SetReadChunk(int bytes) {
  chunk_ = std::max(bytes, 64);
  return 0;
}

}  // namespace velqoris
