// Line-protocol summaries against the protocol's published rules: escaping
// by position, field types, one line per channel per second with stamps that
// move with the gaps.
#include "session/Line_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/Line_output.h"

namespace velqoris {
namespace {

TEST(LineProtocol, EscapesWhatEachPositionGivesAMeaning) {
  const struct {
    const char* raw;
    const char* measurement;
    const char* tag;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"a b", "a\\ b", "a\\ b"},
      {"a,b", "a\\,b", "a\\,b"},
      {"a=b", "a=b", "a\\=b"},
      {"line\nbreak", "line\\ break", "line\\ break"},
      {"ends\\", "ends\\ ", "ends\\ "},
      {"シリアル 1", "シリアル\\ 1", "シリアル\\ 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeMeasurement(c.raw), c.measurement) << c.raw;
    EXPECT_EQ(EscapeTag(c.raw), c.tag) << c.raw;
  }
}

TEST(LineProtocol, OneLinePerChannelPerSecondStampedByPlaceAndGaps) {
  std::vector<std::string> emitted;
  SecondSummaries s({"V 1,x", 128, 5.0}, true, true, 1'000'000'000,
                    [&](const std::string& lines) { emitted.push_back(lines); });
  const std::int32_t c0[] = {8388608, 8388610, 8388606, 8388608, 8388608, 1, 2};
  const std::int32_t c1[] = {9000000, 9000000, 9000000, 9000000, 9000000, 3, 4};
  s.Take(c0, c1, 3);
  EXPECT_TRUE(emitted.empty());
  s.Take(c0 + 3, c1 + 3, 2);
  ASSERT_EQ(emitted.size(), 1u);
  EXPECT_EQ(emitted[0],
            "velqoris,channel=ch0,gain=128,rate_sps=5,serial=V\\ 1\\,x count=5i,max_code=8388610i,"
            "max_uV=0.004656613428,mean_code=8388608,mean_uV=0,min_code=8388606i,"
            "min_uV=-0.004656613428,sd_code=1.264911064,sd_uV=0.002945100923 1000000000\n"
            "velqoris,channel=ch1,gain=128,rate_sps=5,serial=V\\ 1\\,x count=5i,max_code=9000000i,"
            "max_uV=1423.508099,mean_code=9000000,mean_uV=1423.508099,min_code=9000000i,"
            "min_uV=1423.508099,sd_code=0,sd_uV=0 1000000000\n");
  // 0.25 s without results: the next second is stamped a second and a quarter later.
  s.Gap(0.25);
  s.Take(c0 + 5, c1 + 5, 2);
  s.Finish();
  ASSERT_EQ(emitted.size(), 2u);
  EXPECT_NE(emitted[1].find("count=2i"), std::string::npos);
  EXPECT_NE(emitted[1].find(" 2250000000\n"), std::string::npos);
}

TEST(LineProtocol, UdpTargetsAreHostAndPort) {
  const struct {
    const char* target;
    bool ok;
    const char* host;
    const char* port;
  } cases[] = {
      {"udp://127.0.0.1:8089", true, "127.0.0.1", "8089"},
      {"udp://[::1]:8089", true, "::1", "8089"},
      {"udp://localhost:65535", true, "localhost", "65535"},
      {"udp://127.0.0.1", false, "", ""},
      {"udp://:8089", false, "", ""},
      {"udp://h:0", false, "", ""},
      {"udp://h:70000", false, "", ""},
      {"udp://h:80a", false, "", ""},
      {"tcp://h:80", false, "", ""},
  };
  for (const auto& c : cases) {
    std::string host;
    std::string port;
    EXPECT_EQ(ParseUdpTarget(c.target, &host, &port), c.ok) << c.target;
    if (c.ok) {
      EXPECT_EQ(host, c.host);
      EXPECT_EQ(port, c.port);
    }
  }
}

}  // namespace
}  // namespace velqoris
