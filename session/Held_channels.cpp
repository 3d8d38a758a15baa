#include "session/Held_channels.h"

#include "analysis/Figure_rows.h"

namespace velqoris::cli {

std::vector<HeldChannel> HeldChannels(const RunData& data) {
  std::vector<HeldChannel> channels;
  if (data.fCH0Data) channels.push_back({0, data.Codes(0), data.Ch0.Count});
  if (data.fCH1Data) channels.push_back({1, data.Codes(1), data.Ch1.Count});
  return channels;
}

std::string ChannelHeading(const HeldChannel& c, const MeasureSettings& s) {
  std::string h = analysis::ChannelName(c.channel) + " : " + std::to_string(c.count) + " 点";
  if (const auto rate = DataRate(s.spsSel)) h += " / " + std::to_string(*rate) + " sps";
  if (const auto gain = GainOf(s.GainSel)) h += " / ゲイン " + std::to_string(*gain);
  h += s.fSinc4 != 0 ? " / Sinc4" : " / Sinc3";
  h += s.fCHOP_ON != 0 ? " / チョッピング on" : " / チョッピング off";
  return h;
}

}  // namespace velqoris::cli
