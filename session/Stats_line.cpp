#include "session/Stats_line.h"

#include "status/Status_text.h"

namespace velqoris {

std::string StatsLine(const ChannelStats& s, bool voltMode) {
  if (voltMode) return VoltStatsText(s.channel, s.maxMicrovolts, s.minMicrovolts, s.voltSD);
  return CodeStatsText(s.channel, s.maxCode, s.minCode, s.codeSD);
}

}  // namespace velqoris
