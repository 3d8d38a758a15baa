// The libusb calls libftdi1 and the libftdi backend make, answered by the chip
// model on the bus instead of a real device. Linked into a test program (which
// exports them), they take the place of libusb's own for the real libftdi1.
// The asynchronous calls are not used by the backend; they fail, so nothing
// ever reaches the real libusb with a made-up device.
#include <libusb.h>

#include <cstring>
#include <new>
#include <string>

#include "tests/board/Chip_model.h"

using velqoris::testing::ChipModel;

struct libusb_context {
  int unused = 0;
};
struct libusb_device {
  ChipModel* chip = nullptr;
  int refs = 1;
};
struct libusb_device_handle {
  libusb_device* dev = nullptr;
  bool autoDetach = false;
  bool detached = false;  // by the claim, so the release attaches the driver again
};

namespace {
struct ConfigBlock {
  libusb_config_descriptor config{};
  libusb_interface interface {};
  libusb_interface_descriptor alt{};
  libusb_endpoint_descriptor endpoints[2]{};
};

ChipModel* Chip(libusb_device_handle* handle) {
  return handle != nullptr && handle->dev != nullptr ? handle->dev->chip : nullptr;
}

void Unref(libusb_device* dev) {
  if (dev != nullptr && --dev->refs == 0) delete dev;
}
}  // namespace

extern "C" {

int libusb_init(libusb_context** ctx) {
  if (ctx != nullptr) *ctx = new libusb_context;
  return 0;
}

void libusb_exit(libusb_context* ctx) { delete ctx; }

ssize_t libusb_get_device_list(libusb_context* /*ctx*/, libusb_device*** list) {
  const auto chips = ChipModel::AllOnBus();
  auto** devices = new libusb_device* [chips.size() + 1] {};
  ssize_t n = 0;
  for (ChipModel* chip : chips)
    if (chip->Plugged()) devices[n++] = new libusb_device{chip, 1};
  *list = devices;
  return n;
}

void libusb_free_device_list(libusb_device** list, int unrefDevices) {
  if (list == nullptr) return;
  if (unrefDevices != 0)
    for (libusb_device** d = list; *d != nullptr; ++d) Unref(*d);
  delete[] list;
}

libusb_device* libusb_ref_device(libusb_device* dev) {
  ++dev->refs;
  return dev;
}

void libusb_unref_device(libusb_device* dev) { Unref(dev); }

uint8_t libusb_get_bus_number(libusb_device* /*dev*/) { return 1; }

// Each chip on a port of the root hub of its own, numbered in the order the
// chips joined the bus: the first is "1-1".
int libusb_get_port_numbers(libusb_device* dev, uint8_t* ports, int length) {
  const auto chips = ChipModel::AllOnBus();
  for (std::size_t i = 0; i < chips.size(); ++i) {
    if (chips[i] != dev->chip) continue;
    if (length < 1) return LIBUSB_ERROR_OVERFLOW;
    ports[0] = static_cast<uint8_t>(i + 1);
    return 1;
  }
  return LIBUSB_ERROR_NOT_FOUND;
}
uint8_t libusb_get_device_address(libusb_device* /*dev*/) { return 2; }

int libusb_get_device_descriptor(libusb_device* dev, libusb_device_descriptor* desc) {
  std::memset(desc, 0, sizeof *desc);
  desc->bLength = LIBUSB_DT_DEVICE_SIZE;
  desc->bDescriptorType = LIBUSB_DT_DEVICE;
  desc->bcdUSB = dev->chip->PacketSize() == 512 ? 0x0200 : 0x0110;
  desc->bMaxPacketSize0 = 64;
  desc->idVendor = 0x0403;
  desc->idProduct = dev->chip->ProductId();
  desc->bcdDevice = dev->chip->BcdDevice();
  desc->iManufacturer = 1;
  desc->iProduct = 2;
  desc->iSerialNumber = 3;
  desc->bNumConfigurations = 1;
  return 0;
}

int libusb_get_config_descriptor(libusb_device* dev, uint8_t index,
                                 libusb_config_descriptor** config) {
  if (index != 0) return LIBUSB_ERROR_NOT_FOUND;
  auto* block = new ConfigBlock;
  const auto packet = static_cast<uint16_t>(dev->chip->PacketSize());
  block->endpoints[0].bEndpointAddress = 0x81;
  block->endpoints[0].bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
  block->endpoints[0].wMaxPacketSize = packet;
  block->endpoints[1].bEndpointAddress = 0x02;
  block->endpoints[1].bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
  block->endpoints[1].wMaxPacketSize = packet;
  block->alt.bNumEndpoints = 2;
  block->alt.endpoint = block->endpoints;
  block->interface.altsetting = &block->alt;
  block->interface.num_altsetting = 1;
  block->config.bNumInterfaces = 1;
  block->config.bConfigurationValue = 1;
  block->config.interface = &block->interface;
  *config = &block->config;
  return 0;
}

void libusb_free_config_descriptor(libusb_config_descriptor* config) {
  // The descriptor is the first member of its block.
  delete reinterpret_cast<ConfigBlock*>(config);
}

int libusb_open(libusb_device* dev, libusb_device_handle** handle) {
  if (const int r = dev->chip->Open(); r != 0) return r;
  ++dev->refs;
  *handle = new libusb_device_handle{dev};
  return 0;
}

void libusb_close(libusb_device_handle* handle) {
  if (handle == nullptr) return;
  Chip(handle)->Close();
  Unref(handle->dev);
  delete handle;
}

int libusb_get_string_descriptor_ascii(libusb_device_handle* handle, uint8_t index,
                                       unsigned char* data, int length) {
  if (!Chip(handle)->Plugged()) return LIBUSB_ERROR_NO_DEVICE;
  const std::string texts[] = {"", "FTDI", "VELQORIS USB FIFO", Chip(handle)->Serial()};
  if (index > 3 || length <= 0) return LIBUSB_ERROR_INVALID_PARAM;
  const std::string& text = texts[index];
  const int n = std::min(length - 1, static_cast<int>(text.size()));
  std::memcpy(data, text.data(), static_cast<std::size_t>(n));
  data[n] = 0;
  return n;
}

int libusb_detach_kernel_driver(libusb_device_handle* handle, int /*interface*/) {
  return Chip(handle)->DetachKernelDriver();
}

int libusb_set_auto_detach_kernel_driver(libusb_device_handle* handle, int enable) {
  handle->autoDetach = enable != 0;
  return 0;
}

int libusb_get_configuration(libusb_device_handle* handle, int* config) {
  if (!Chip(handle)->Plugged()) return LIBUSB_ERROR_NO_DEVICE;
  *config = 1;
  return 0;
}

int libusb_set_configuration(libusb_device_handle* handle, int config) {
  if (!Chip(handle)->Plugged()) return LIBUSB_ERROR_NO_DEVICE;
  return config == 1 ? 0 : LIBUSB_ERROR_NOT_FOUND;
}

int libusb_claim_interface(libusb_device_handle* handle, int interface) {
  if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
  if (handle->autoDetach && Chip(handle)->KernelDriverAttached()) {
    if (const int r = Chip(handle)->DetachKernelDriver(); r != 0) return r;
    handle->detached = true;
  }
  return Chip(handle)->Claim();
}

int libusb_release_interface(libusb_device_handle* handle, int interface) {
  if (interface != 0) return LIBUSB_ERROR_NOT_FOUND;
  const int r = Chip(handle)->Release();
  if (handle->detached && Chip(handle)->Plugged()) Chip(handle)->SetKernelDriver(true);
  handle->detached = false;
  return r;
}

int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                            uint16_t value, uint16_t /*index*/, unsigned char* data,
                            uint16_t length, unsigned int /*timeout*/) {
  return Chip(handle)->Control(requestType, request, value, data, length);
}

int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                         int length, int* actual, unsigned int timeout) {
  int ignored = 0;
  if (actual == nullptr) actual = &ignored;
  if (endpoint == 0x81) return Chip(handle)->BulkIn(data, length, actual, timeout);
  if (endpoint == 0x02) return Chip(handle)->BulkOut(data, length, actual);
  *actual = 0;
  return LIBUSB_ERROR_PIPE;
}

libusb_transfer* libusb_alloc_transfer(int /*isoPackets*/) { return nullptr; }
void libusb_free_transfer(libusb_transfer* /*transfer*/) {}
int libusb_submit_transfer(libusb_transfer* /*transfer*/) { return LIBUSB_ERROR_NOT_SUPPORTED; }
int libusb_cancel_transfer(libusb_transfer* /*transfer*/) { return LIBUSB_ERROR_NOT_SUPPORTED; }
int libusb_handle_events_timeout(libusb_context* /*ctx*/, struct timeval* /*tv*/) {
  return LIBUSB_ERROR_NOT_SUPPORTED;
}
int libusb_handle_events_timeout_completed(libusb_context* /*ctx*/, struct timeval* /*tv*/,
                                           int* /*completed*/) {
  return LIBUSB_ERROR_NOT_SUPPORTED;
}

}  // extern "C"
