// Channel A of the first FTDI device, opened through libftdi1 (which detaches
// the kernel's serial driver). The data path bypasses libftdi's read call: a
// bulk transfer that runs into its time-out still carries the packets that did
// arrive, and libftdi would drop them. So the bulk endpoints are driven through
// libusb here, and the two status bytes that start every max-size packet are
// taken out on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/Board_selection.h"
#include "board/Usb_transport.h"

struct ftdi_context;

namespace velqoris {

class LibftdiTransport final : public UsbTransport {
 public:
  // The chip's latency timer: how long it holds a part-filled packet, and how
  // often it answers with a status-only packet while it has nothing. Replies
  // wait at most this long; an idle link wakes the I/O thread ~80 times a second.
  static constexpr int kLatencyMs = 12;
  // Longer than the latency timer, so an idle read ends with the chip's status
  // packet; short, so a write or purge never waits long behind a read while a
  // stream flows faster than one packet per latency period.
  static constexpr int kReadTimeoutMs = 15;
  static constexpr int kWriteTimeoutMs = 1000;

  // Null when no device is found or it cannot be claimed.
  static std::unique_ptr<LibftdiTransport> Open() { return OpenChip(0); }
  // The FTDI chips with a known product id, in bus order, by USB serial number
  // ("" where a chip has none) and whether another program holds the serial
  // device the kernel made for it (`roots` says where to look); found without
  // taking a chip from its driver.
  static std::vector<ChipEntry> Chips(const SystemRoots& roots);
  // Chip `index` of that list. Its kernel driver is detached while it is open
  // and attached again when it is closed.
  static std::unique_ptr<LibftdiTransport> OpenChip(int index);
  ~LibftdiTransport() override;
  LibftdiTransport(const LibftdiTransport&) = delete;
  LibftdiTransport& operator=(const LibftdiTransport&) = delete;

  int Read(std::uint8_t* buffer, int size) override;
  int Write(const std::uint8_t* data, int size) override;
  int Purge(bool receive, bool transmit) override;
  int SetReadChunk(int bytes) override;

  // 64 on full-speed chips, 512 on high-speed ones.
  int PacketSize() const { return packetSize_; }

 private:
  // The one owner of the context: closes the device if it was opened, then frees it.
  struct ContextRelease {
    void operator()(ftdi_context* context) const;
  };
  using Context = std::unique_ptr<ftdi_context, ContextRelease>;

  LibftdiTransport(Context context, int packetSize);
  int Deliver(std::uint8_t* buffer, int size);
  static int Status(int libusbResult);

  Context context_;
  int packetSize_;
  int chunk_ = 4096;
  std::vector<std::uint8_t> raw_;
  // Payload of the last transfer beyond what the caller had room for.
  std::vector<std::uint8_t> spill_;
  std::size_t spillAt_ = 0;
};

}  // namespace velqoris
