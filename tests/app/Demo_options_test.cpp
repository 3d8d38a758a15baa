// The demo program's arguments: the virtual board's test signals.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <string>
#include <variant>
#include <vector>

#include "app/Demo_options.h"
#include "virtualboard/Signal_model.h"

namespace velqoris {
namespace {

TEST(DemoOptionsTest, TakesTheVirtualBoardsTestSignalsInBothSpellings) {
  const auto parsed =
      ParseDemoArguments({"--sine", "1,10,0.5,-80", "--mains=1,50,0.0002", "--sine=0,3,0.1"});
  ASSERT_TRUE(std::holds_alternative<DemoOptions>(parsed));
  const auto& o = std::get<DemoOptions>(parsed);
  ASSERT_EQ(o.sines.size(), 2u);
  EXPECT_EQ(o.sines[0].channel, 1);
  EXPECT_DOUBLE_EQ(o.sines[0].frequencyHz, 10.0);
  EXPECT_DOUBLE_EQ(o.sines[0].harmonic2Dbc, -80.0);
  EXPECT_EQ(o.sines[1].channel, 0);
  ASSERT_EQ(o.mains.size(), 1u);
  EXPECT_DOUBLE_EQ(o.mains[0].amplitudeVolts, 0.0002);

  SignalModel model;
  ApplyDemoOptions(model, o);
  EXPECT_DOUBLE_EQ(model.Channel(1).frequencyHz, 10.0);
  EXPECT_DOUBLE_EQ(model.Channel(1).mainsHz, 50.0);
  EXPECT_DOUBLE_EQ(model.Channel(0).amplitudeVolts, 0.1);

  EXPECT_TRUE(std::get<DemoOptions>(ParseDemoArguments({})).sines.empty());
  EXPECT_TRUE(std::get<DemoOptions>(ParseDemoArguments({"--help"})).help);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--sine"},
                                              {"--noise", "1"},
                                              {"--mains", "1,55,0.1"},
                                              {"--sine", "2,10,0.5"},
                                              {"extra"}}) {
    const auto r = ParseDemoArguments(bad);
    ASSERT_TRUE(std::holds_alternative<std::string>(r)) << bad[0];
    EXPECT_FALSE(std::get<std::string>(r).empty());
  }
}

TEST(DemoOptionsTest, TheDemoRefusesABadOptionWithItsUsageAndExitCodeTwo) {
  QProcess demo;
  demo.start(VELQORIS_DEMO_PATH, {"--mains", "1,55,0.1"});
  ASSERT_TRUE(demo.waitForFinished(60000));
  EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(demo.exitCode(), 2);
  const QString err = QString::fromUtf8(demo.readAllStandardError());
  EXPECT_TRUE(err.contains(QStringLiteral("--sine"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QString::fromUtf8("使い方"))) << err.toStdString();
}

}  // namespace
}  // namespace velqoris
