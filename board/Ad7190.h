// The board's command protocol on top of the link: one ASCII command per
// converter setting, the name and version queries, start and stop of a run,
// and decoding of the result frames into 24-bit conversion codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/Ft_fifo.h"

namespace velqoris {

class TADC : public Tft_FIFO {
 public:
  static constexpr std::uint32_t kFrameBufferSize = 700;
  static constexpr int kSingleFrame = 7;  // six hex digits, CR
  static constexpr int kDualFrame = 13;   // twice six hex digits, CR
  static constexpr int kMaxSingleFrames = kFrameBufferSize / kSingleFrame;  // 100
  static constexpr int kMaxDualFrames = kFrameBufferSize / kDualFrame;      // 53
  static constexpr std::size_t kNameLength = 10;  // the caller's area holds one more

  TADC(d2xx::Api& device, EventHost& host);

  bool Connect();
  void Disconnect();

  bool CheckBoard();
  bool GetBoardName(char* dest);
  bool GetVersion(char* dest);

  bool SetSinc3();
  bool SetSinc4();
  bool SetBufferOff();
  bool SetBufferOn();
  bool SetChopOff();
  bool SetChopOn();
  bool SetGain(int index);
  bool SetFilterWord(int word);

  bool StartConversion(int mode, int count);
  bool StopConversion();

  // n frames per call: 1..100 single-channel, 1..53 two-channel.
  bool ReadSingle(std::int32_t* dest, int& count, int n);
  bool ReadDual(std::int32_t* ch0, std::int32_t* ch1, int n, int& count);

  // 1, 8, 16, 32, 64, 128 for index 0..5; 1 for any other index.
  static int GainFactor(int index);

 private:
  bool Setting(const char* text);
  bool Query(const char* text, char* dest);
  bool Prepare();

  std::uint8_t frames_[kFrameBufferSize] = {};
  char command_[kMaxCommand + 1] = {};
  char reply_[24] = {};
};

// Four decimal digits, leading zeros kept; above 9999 writes "0000". No NUL.
void FormatDecimal4(unsigned value, char* dest);
// Five upper-case hex digits, leading zeros kept; above 0xFFFFF writes "00000". No NUL.
void FormatHex5(std::uint32_t value, char* dest);
// Six hex digits, most significant first; a non-hex character counts as 0.
std::int32_t HexToCode(const char* six);

}  // namespace velqoris
