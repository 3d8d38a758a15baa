// The common status registers: the standard event status register (ESR)
// with its enable mask (*ESE), and the status byte (*STB?) made from it and
// the error queue, with its service request enable mask (*SRE).
#pragma once

#include <cstdint>

namespace velqoris::scpi {

struct StatusRegisters {
  static constexpr int kOperationComplete = 0;
  static constexpr int kErrorAvailable = 2;  // status byte: the error queue is not empty
  static constexpr int kEventSummary = 5;    // status byte: ESR & ESE is not 0
  static constexpr int kMasterSummary = 6;
  static constexpr int kPowerOn = 7;

  std::uint8_t event = 1u << kPowerOn;
  std::uint8_t eventEnable = 0;
  std::uint8_t serviceEnable = 0;

  void SetEvent(int bit) {
    if (bit >= 0) event |= static_cast<std::uint8_t>(1u << bit);
  }
  // *ESR? reads and clears.
  std::uint8_t TakeEvent() {
    const std::uint8_t e = event;
    event = 0;
    return e;
  }
  std::uint8_t StatusByte(bool errorsQueued) const {
    std::uint8_t stb = 0;
    if (errorsQueued) stb |= 1u << kErrorAvailable;
    if ((event & eventEnable) != 0) stb |= 1u << kEventSummary;
    if ((stb & serviceEnable & ~(1u << kMasterSummary)) != 0) stb |= 1u << kMasterSummary;
    return stb;
  }
};

}  // namespace velqoris::scpi
