// The records every part of the program shares: the settings of the data on
// display (and of the next run), one channel's sample buffer, and the
// selection lists those settings index. Plain C++, no window needed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velqoris {

// Every array behind a SampleBuffer has this many elements. A run asks for at
// most 10000, so it never fills the last 100; a data file may hold more lines
// than a run, and is refused past this capacity.
inline constexpr int kSampleCapacity = 10100;

// Mid-scale code: zero input of the bipolar converter.
inline constexpr std::int32_t kMidScaleCode = 8388608;
inline constexpr std::int32_t kMaxCode = 16777215;

struct MeasureSettings {
  std::int32_t spsSel = 1;        // index of kDataRates (10 sps)
  std::int32_t DataCountSel = 3;  // index of kDataCounts (1000)
  std::int32_t CHSel = 0;         // index of the channel list (CH0)
  std::int32_t GainSel = 0;       // index of kGains (gain 1)
  std::int32_t Gain = 1;          // derived from GainSel, never stored in a file
  std::uint8_t fSinc4 = 1;
  std::uint8_t fBUF_ON = 0;
  std::uint8_t fCHOP_ON = 0;
};

struct SampleBuffer {
  std::int32_t Count = 0;
  std::int32_t* Codes = nullptr;  // kSampleCapacity elements
  float* Microvolts = nullptr;    // kSampleCapacity elements
};

// Selection lists, in the order of the window's choice lists.
inline constexpr std::array<int, 13> kDataRates = {5,   10,  20,  50,   60,   100, 200,
                                                   400, 800, 960, 1200, 2400, 4800};
inline constexpr std::array<int, 7> kDataCounts = {100, 200, 500, 1000, 2000, 5000, 10000};
inline constexpr int kChannelChoices = 3;  // 0 = CH0, 1 = CH1, 2 = both
inline constexpr std::array<int, 6> kGains = {1, 8, 16, 32, 64, 128};

// Per data rate: the board's filter word (4800 / rate) and the results read per idle step.
inline constexpr std::array<int, 13> kFilterWords = {960, 480, 240, 96, 80, 48, 24,
                                                     12,  6,   5,   4,  2,  1};
inline constexpr std::array<int, 13> kReadBlocks = {1, 1, 1, 1, 1, 1, 2, 5, 10, 10, 10, 20, 50};

// The one way to look a selection up: an index outside its list gives nothing
// and never touches the table.
template <typename T, std::size_t N>
constexpr std::optional<T> Lookup(const std::array<T, N>& table, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return std::nullopt;
  return table[static_cast<std::size_t>(index)];
}

constexpr std::optional<int> DataRate(std::int32_t spsSel) { return Lookup(kDataRates, spsSel); }
constexpr std::optional<int> DataCount(std::int32_t countSel) {
  return Lookup(kDataCounts, countSel);
}
constexpr std::optional<int> GainOf(std::int32_t gainSel) { return Lookup(kGains, gainSel); }
// The gain a run is converted with: 1 for an index outside the list, so nothing divides by 0.
constexpr std::int32_t DerivedGain(std::int32_t gainSel) { return GainOf(gainSel).value_or(1); }
constexpr std::optional<int> ReadBlock(std::int32_t spsSel) { return Lookup(kReadBlocks, spsSel); }
// The board is sent word 0 for a rate that is not in the list.
constexpr int FilterWord(std::int32_t spsSel) { return Lookup(kFilterWords, spsSel).value_or(0); }

constexpr bool ValidChannel(std::int32_t chSel) { return chSel >= 0 && chSel < kChannelChoices; }

// True when every selection of the record indexes its list.
constexpr bool SelectionsValid(const MeasureSettings& s) {
  return DataRate(s.spsSel) && DataCount(s.DataCountSel) && ValidChannel(s.CHSel) &&
         GainOf(s.GainSel);
}

// Slow, long runs are drawn live, in blocks of 100 samples.
inline constexpr int kLiveBlock = 100;
constexpr bool LiveDrawing(const MeasureSettings& s) {
  return s.spsSel >= 0 && s.spsSel <= 6 && s.DataCountSel >= 3 && s.DataCountSel <= 6;
}

}  // namespace velqoris
