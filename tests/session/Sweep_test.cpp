// The sweep on virtual time: a small grid whose figures follow the typical
// table, failing settings marked while the sweep goes on, a stop that keeps
// the table so far, and the table's texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/Typical_noise.h"
#include "session/Sweep_run.h"
#include "session/Sweep_table.h"
#include "tests/session/Long_run_fixture.h"

namespace velqoris::testing {
namespace {

constexpr int k400 = 7, k1200 = 10, k4800 = 12;
constexpr int kGain8 = 1, kGain32 = 3, kGain128 = 5;

bool Has(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

class SweepRunTest : public LongRunTest {
 protected:
  void SetUp() override { Connect(k4800, 0); }

  SweepPlan Plan(int count = 2000) {
    SweepPlan plan;
    plan.rateSels = {k4800, k1200, k400};
    plan.gainSels = {kGain8, kGain32, kGain128};
    plan.count = count;
    return plan;
  }

  std::vector<std::string> Starts() const {
    std::vector<std::string> starts;
    for (const std::string& c : device.Commands()) {
      if (c.rfind("A", 0) == 0) starts.push_back(c);
    }
    return starts;
  }
};

TEST_F(SweepRunTest, ASmallGridFollowsTheTypicalTableRowByRow) {
  SweepRun sweep(run, Plan());
  std::vector<int> rows;
  int cells = 0;
  ASSERT_TRUE(sweep.Run(
      {}, [&](const SweepCell&) { ++cells; }, [&](int row) { rows.push_back(row); }, {}));
  EXPECT_EQ(cells, 9);
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Starts(), std::vector<std::string>(9, "A0007D0"));

  for (std::size_t r = 0; r < 3; ++r) {
    for (std::size_t g = 0; g < 3; ++g) {
      const SweepCell& c = sweep.Cell(r, g);
      SCOPED_TRACE(std::to_string(r) + "," + std::to_string(g));
      ASSERT_EQ(c.end, RunEnd::kComplete);
      ASSERT_TRUE(c.typicalNanovolts && c.figures.rmsNanovolts && c.figures.rmsVsTypical);
      // 2000 Gaussian results estimate the deviation within a few percent.
      EXPECT_NEAR(*c.figures.rmsVsTypical, 1.0, 0.08);
      const int gain = GainOf(c.gainSel).value_or(0);
      const double typicalBits = analysis::TypicalNoise::NoiseFreeBits(*c.typicalNanovolts, gain);
      ASSERT_TRUE(c.figures.noiseFree6Sigma.Bits());
      EXPECT_NEAR(*c.figures.noiseFree6Sigma.Bits(), typicalBits, 0.15);
    }
  }
  // The published anchors of the converter: 4800 sps at gain 128 is 127.5 nV, 15.5 bits.
  EXPECT_EQ(SweepCellText(sweep.Cell(0, 2), SweepTable::kTypical), "127.5 (15.5)");
  const std::string row = SweepTableRow(sweep, 0, SweepTable::kMeasured);
  EXPECT_EQ(row.rfind("              4800 |", 0), 0u) << row;
  EXPECT_TRUE(Has(row, SweepCellText(sweep.Cell(0, 1), SweepTable::kMeasured)));
  // Every row is as wide as the head: the columns line up under the gains.
  const auto head = SweepTableHead(sweep.Plan(), SweepTable::kMeasured);
  EXPECT_EQ(DisplayWidth(head[1]), DisplayWidth(row));
  EXPECT_EQ(DisplayWidth(head[2]), DisplayWidth(row));
}

TEST_F(SweepRunTest, FailingSettingsAreMarkedAndTheSweepGoesOn) {
  device.Faults().refusedCommands.insert("SG3");  // gain 32 refused
  SweepRun sweep(run, Plan(500));
  // One run's frame 100 ends in LF, another's stream stalls after 50 frames.
  const SweepCell* badFrame = &sweep.Cell(1, 0);
  const SweepCell* stalled = &sweep.Cell(2, 2);
  const auto progress = [&] {
    BoardFaults& f = device.Faults();
    f.lfFrame = sweep.Current() == badFrame ? std::optional<std::uint32_t>(100) : std::nullopt;
    f.stallAfter = sweep.Current() == stalled ? std::optional<std::uint32_t>(50) : std::nullopt;
  };
  // The faults go on with a setting's first block and off with the next setting's.
  ASSERT_TRUE(sweep.Run({}, {}, {}, progress));

  for (std::size_t r = 0; r < 3; ++r) {
    for (std::size_t g = 0; g < 3; ++g) {
      const SweepCell& c = sweep.Cell(r, g);
      SCOPED_TRACE(std::to_string(r) + "," + std::to_string(g));
      if (g == 1) {
        EXPECT_EQ(c.end, RunEnd::kRefused);
        EXPECT_EQ(SweepCellText(c, SweepTable::kMeasured), "設定エラー");
        // The typical figure is there all the same.
        EXPECT_NE(SweepCellText(c, SweepTable::kTypical), "—");
      } else if (&c == badFrame) {
        EXPECT_EQ(c.end, RunEnd::kReadError);
        EXPECT_EQ(SweepCellText(c, SweepTable::kMeasured), "計測エラー");
      } else if (&c == stalled) {
        EXPECT_EQ(c.end, RunEnd::kStalled);
        EXPECT_EQ(SweepCellText(c, SweepTable::kRatio), "データなし");
      } else {
        EXPECT_EQ(c.end, RunEnd::kComplete);
        EXPECT_TRUE(c.figures.rmsNanovolts.has_value());
      }
    }
  }
  EXPECT_EQ(sweep.Finished(), 9);
  // A refused setting has the board identified again before the next one; a
  // read error and a stall keep the link (one rule for every run).
  int identifications = 0;
  for (const std::string& c : device.Commands()) identifications += c == "U?" ? 1 : 0;
  EXPECT_EQ(identifications, 1 + 3);
  const std::string csv = SweepCsvLine(sweep.Plan(), sweep.Cell(1, 0));
  EXPECT_EQ(csv.rfind("1200,8,0,sinc4,off,off,500,read_error,,", 0), 0u) << csv;
}

TEST_F(SweepRunTest, AStopKeepsTheCellsMeasuredSoFar) {
  SweepRun sweep(run, Plan(500));
  std::vector<int> rows;
  EXPECT_FALSE(sweep.Run([&] { return sweep.Finished() >= 4 && sweep.CurrentRead() >= 100; }, {},
                         [&](int row) { rows.push_back(row); }, {}));
  EXPECT_EQ(rows, (std::vector<int>{0, 1}));  // the cut row is printed too
  EXPECT_EQ(sweep.Cell(1, 0).end, RunEnd::kComplete);
  EXPECT_EQ(sweep.Cell(1, 1).end, RunEnd::kStopped);
  EXPECT_EQ(sweep.Cell(1, 2).end, RunEnd::kNotEnded);
  EXPECT_EQ(sweep.Cell(2, 0).end, RunEnd::kNotEnded);
  const std::string row = SweepTableRow(sweep, 1, SweepTable::kMeasured);
  EXPECT_TRUE(Has(row, "中止") && Has(row, "未測定")) << row;
  EXPECT_EQ(device.Commands().back(), "AX");
  EXPECT_FALSE(device.IsOpen());
}

// Coloured pixels inside the plot frame: the grid and the frame are grey,
// so these belong to the series.
TEST(SweepPlanTest, ATimeLimitShortensTheSlowRatesButKeepsTenResults) {
  SweepPlan plan;
  plan.count = 1000;
  plan.maxTimeMs = 20000;
  EXPECT_EQ(SettingCount(plan, 0), 100);    // 5 sps for 20 s
  EXPECT_EQ(SettingCount(plan, 12), 1000);  // 4800 sps: the count
  plan.maxTimeMs = 500;
  EXPECT_EQ(SettingCount(plan, 0), 10);
  plan.maxTimeMs = 0;
  plan.count = 1048575;
  EXPECT_EQ(SettingCount(plan, 0), 1048575);
}

TEST(SweepTableTest, CellsSayWhyThereIsNoFigure) {
  SweepCell c;
  c.gainSel = 0;
  c.end = RunEnd::kComplete;
  c.figures.rmsNanovolts = 0.0;
  c.figures.noiseFree6Sigma.kind = analysis::Resolution::Kind::kNoNoise;
  EXPECT_EQ(SweepCellText(c, SweepTable::kMeasured), "0.00 (24 以上)");
  c.figures.noiseFree6Sigma.kind = analysis::Resolution::Kind::kOverRange;
  EXPECT_EQ(SweepCellText(c, SweepTable::kMeasured), "入力範囲外");
  c.figures.rmsNanovolts = 12345.6;
  c.figures.noiseFree6Sigma = {analysis::Resolution::Kind::kBits, 17.04};
  EXPECT_EQ(SweepCellText(c, SweepTable::kMeasured), "12346 (17.0)");
  EXPECT_EQ(SweepCellText(c, SweepTable::kRatio), "—");
  EXPECT_EQ(DisplayWidth("ゲイン 128"), 10u);
  EXPECT_EQ(DisplayWidth("6.6 × RMS — x"), 13u);
}

}  // namespace
}  // namespace velqoris::testing
