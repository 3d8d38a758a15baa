#include "board/Libftdi_transport.h"

#include <ftdi.h>
#include <libusb.h>

namespace velqoris {

namespace {
constexpr int kVendor = 0x0403;
constexpr int kProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};
constexpr int kReadTimeoutMs = 20;  // short, so queued writes and purges run soon
constexpr unsigned char kLatencyMs = 2;

bool Known(libusb_device* dev) {
  libusb_device_descriptor desc{};
  if (libusb_get_device_descriptor(dev, &desc) != 0 || desc.idVendor != kVendor) return false;
  for (int product : kProducts)
    if (desc.idProduct == product) return true;
  return false;
}
}  // namespace

std::unique_ptr<LibftdiTransport> LibftdiTransport::Open() {
  ftdi_context* context = ftdi_new();
  if (context == nullptr) return nullptr;
  if (ftdi_set_interface(context, INTERFACE_A) != 0) {
    ftdi_free(context);
    return nullptr;
  }
  ftdi_device_list* list = nullptr;
  // Vendor and product 0 list the usual FTDI ids; the filter keeps only ours.
  if (ftdi_usb_find_all(context, &list, 0, 0) < 0) {
    ftdi_free(context);
    return nullptr;
  }
  bool opened = false;
  for (ftdi_device_list* item = list; item != nullptr && !opened; item = item->next) {
    if (!Known(item->dev)) continue;
    // Opening detaches the kernel's serial driver from the interface.
    opened = ftdi_usb_open_dev(context, item->dev) == 0;
  }
  ftdi_list_free(&list);
  if (!opened) {
    ftdi_free(context);
    return nullptr;
  }
  ftdi_set_bitmode(context, 0xFF, BITMODE_RESET);
  ftdi_set_latency_timer(context, kLatencyMs);
  ftdi_read_data_set_chunksize(context, 4096);
  context->usb_read_timeout = kReadTimeoutMs;
  ftdi_tcioflush(context);
  return std::unique_ptr<LibftdiTransport>(new LibftdiTransport(context));
}

LibftdiTransport::~LibftdiTransport() {
  ftdi_usb_close(context_);
  ftdi_free(context_);
}

int LibftdiTransport::Read(std::uint8_t* buffer, int size) {
  const int r = ftdi_read_data(context_, buffer, size);
  return r == LIBUSB_ERROR_TIMEOUT ? kTimedOut : r;
}

int LibftdiTransport::Write(const std::uint8_t* data, int size) {
  return ftdi_write_data(context_, data, size);
}

int LibftdiTransport::Purge(bool receive, bool transmit) {
  if (receive && transmit) return ftdi_tcioflush(context_) < 0 ? -1 : 0;
  if (receive) return ftdi_tciflush(context_) < 0 ? -1 : 0;
  if (transmit) return ftdi_tcoflush(context_) < 0 ? -1 : 0;
  return 0;
}

int LibftdiTransport::SetReadChunk(int bytes) {
  return ftdi_read_data_set_chunksize(context_, static_cast<unsigned>(bytes)) < 0 ? -1 : 0;
}

}  // namespace velqoris
