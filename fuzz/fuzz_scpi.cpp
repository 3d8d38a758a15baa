// Arbitrary bytes as a client's lines into the instrument, whose runs end at
// once with synthetic codes: no input may crash it, grow its error queue past
// its cap, or leave a line's answer without its end.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scpi/Instrument.h"

namespace {

using namespace velqoris;
using namespace velqoris::scpi;

class InstantAcquisition : public Acquisition {
 public:
  void Start(const MeasureSettings& s) override {
    const int count = DataCount(s.DataCountSel).value_or(100);
    data_.DropData();
    data_.Settings = s;
    data_.Settings.Gain = DerivedGain(s.GainSel);
    for (int i = 0; i < count; ++i) {
      data_.Codes(0)[i] = kMidScaleCode + (i * 7919) % 101;
      data_.Codes(1)[i] = kMidScaleCode - (i * 104729) % 97;
    }
    data_.Ch0.Count = s.CHSel != 1 ? count : 0;
    data_.Ch1.Count = s.CHSel != 0 ? count : 0;
    data_.fCH0Data = s.CHSel != 1;
    data_.fCH1Data = s.CHSel != 0;
    data_.ConvertAll();
    data_.CalcCodeStats();
    data_.CalcVoltStats();
    ended_ = true;
  }
  void Abort() override { ended_ = true; }
  bool StartLog(const std::string&, const MeasureSettings&, std::int64_t) override {
    ended_ = true;
    return true;
  }
  std::optional<RunEnd> TakeEnd() override {
    if (!ended_) return std::nullopt;
    ended_ = false;
    return RunEnd::kComplete;
  }
  LogProgress Log() const override { return {}; }
  const RunData& Data() const override { return data_; }
  BoardIdentity Identity() const override { return {"VELQORIS", "1.00", "FUZZ"}; }

 private:
  RunData data_;
  bool ended_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InstantAcquisition acquisition;
  Instrument instrument(acquisition, "fuzz", FilePolicy{"/nonexistent", true});
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    instrument.Input(text.substr(0, end), 1 << 16);
    for (int i = 0; i < 64 && !instrument.Ready(); ++i) instrument.Resume(1 << 16);
    if (!instrument.Ready()) __builtin_trap();
    const std::string out = instrument.TakeOutput();
    if (!out.empty() && out.back() != '\n') __builtin_trap();
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  for (std::size_t i = 0; i <= ErrorQueue::kCapacity; ++i) instrument.Input("SYST:ERR?");
  if (instrument.TakeOutput().find("0,\"No error\"") == std::string::npos) __builtin_trap();
  return 0;
}
