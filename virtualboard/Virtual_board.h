// A firmware emulator of the evaluation board behind the D2XX interface: the
// controller's command set, the converter's result stream and a set of faults.
//
// It has no thread. Every call first brings the board up to the clock's "now"
// (replies whose latency has passed, conversions whose period has passed) and
// then does its work, so with a manual clock a test decides exactly what has
// arrived. Call it from one thread only.
//
// The FIFO towards the host holds kFifoCapacity bytes. A host that stops
// reading stalls the stream: conversions that finish while the FIFO has no
// room for their frame are lost (SkippedConversions counts them) and the
// stream resumes at its pace once there is room. A run still delivers exactly
// the frames it was asked for, and memory never grows with the time the host
// spends away.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "board/Clock.h"
#include "board/D2xx.h"
#include "virtualboard/Board_faults.h"
#include "virtualboard/Byte_queue.h"
#include "virtualboard/Signal_model.h"

namespace velqoris {

class VirtualBoard final : public d2xx::Api {
 public:
  static constexpr std::size_t kFifoCapacity = 256 * 1024;
  static constexpr std::size_t kMaxCommandLength = 32;
  static constexpr std::size_t kMaxPendingReplies = 64;
  static constexpr std::size_t kCommandLogLength = 256;

  explicit VirtualBoard(const Clock& clock, std::uint64_t seed = 1);

  d2xx::FT_STATUS FT_Open(int deviceNumber, d2xx::FT_HANDLE* handle) override;
  d2xx::FT_STATUS FT_Close(d2xx::FT_HANDLE handle) override;
  d2xx::FT_STATUS FT_Read(d2xx::FT_HANDLE handle, void* buffer, d2xx::DWORD bytesToRead,
                          d2xx::DWORD* bytesReturned) override;
  d2xx::FT_STATUS FT_Write(d2xx::FT_HANDLE handle, const void* buffer, d2xx::DWORD bytesToWrite,
                           d2xx::DWORD* bytesWritten) override;
  d2xx::FT_STATUS FT_Purge(d2xx::FT_HANDLE handle, d2xx::DWORD mask) override;
  d2xx::FT_STATUS FT_GetQueueStatus(d2xx::FT_HANDLE handle, d2xx::DWORD* rxBytes) override;
  d2xx::FT_STATUS FT_SetUSBParameters(d2xx::FT_HANDLE handle, d2xx::DWORD inTransferSize,
                                      d2xx::DWORD outTransferSize) override;

  // Identity and timing.
  void SetBoardName(std::string name) { name_ = std::move(name); }
  void SetVersion(std::string version) { version_ = std::move(version); }
  void SetLatency(Clock::Duration latency) { latency_ = latency; }

  // The converter's inputs and noise; reseed it for another reproducible run.
  SignalModel& Signal() { return signal_; }
  // Faults take effect from the next call on.
  BoardFaults& Faults() { return faults_; }

  // Pulling the cable: the board loses power and state, the handle goes stale,
  // every call fails. Plugging it back lets it be opened again.
  void Unplug();
  void Plug() { plugged_ = true; }

  // What a test may look at.
  bool Plugged() const { return plugged_; }
  bool IsOpen() const { return open_; }
  const ConverterSettings& Settings() const { return settings_; }
  bool Running() const { return run_.active; }
  std::uint32_t FramesSent() const { return run_.sent; }
  std::uint64_t SkippedConversions() const { return skipped_; }
  d2xx::DWORD InTransferSize() const { return inTransferSize_; }
  // The most recent command lines received, without CR, oldest first.
  const std::deque<std::string>& Commands() const { return commands_; }

 private:
  struct Reply {
    Clock::Duration due;
    std::string bytes;
  };
  struct Run {
    bool active = false;
    int mode = 0;
    std::uint32_t total = 0;
    std::uint32_t sent = 0;
    Clock::Duration origin{0};  // frames are due one period after another from here
    std::uint64_t sinceOrigin = 0;
    ConverterSettings settings;
    double noiseRms = 0.0;
    std::uint64_t bytesRead = 0;
    bool readErrorFired = false;
    std::size_t FrameSize() const { return mode == 2 ? 13 : 7; }
  };

  d2xx::FT_STATUS Check(d2xx::FT_HANDLE handle) const;
  void CatchUp();
  bool EmitFrames(Clock::Duration limit);  // false when nothing was due
  std::uint64_t FramesDueBy(Clock::Duration limit) const;
  Clock::Duration FrameTime(std::uint64_t sinceOrigin) const;
  double SampleSeconds(std::uint64_t sinceOrigin) const;
  void AppendFrame(std::vector<std::uint8_t>& out, double seconds);
  void ReceiveByte(std::uint8_t byte);
  void Execute(const std::string& line);
  bool ApplySetting(const std::string& line);
  bool StartRun(const std::string& line);
  void Answer(std::string text, const std::string& trailer = {});
  void AnswerOk();
  std::uint32_t Visible() const;
  void NoteRead(std::size_t bytes);
  void PowerOff();

  const Clock& clock_;
  SignalModel signal_;
  BoardFaults faults_;
  std::string name_ = "VELQORIS";
  std::string version_ = "1.00";
  Clock::Duration latency_ = std::chrono::milliseconds(1);

  bool plugged_ = true;
  bool open_ = false;
  std::uintptr_t generation_ = 0;
  d2xx::DWORD inTransferSize_ = 4096;

  ConverterSettings settings_;
  ByteQueue fifo_{kFifoCapacity};
  std::deque<Reply> replies_;
  std::string line_;
  bool lineTooLong_ = false;
  Run run_;
  std::uint64_t skipped_ = 0;
  std::uint32_t visible_ = 0;  // bytes shown to the host while trickling
  bool readError_ = false;
  std::deque<std::string> commands_;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace velqoris
