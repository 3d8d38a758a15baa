// A log of the virtual board on virtual time written to CSV and HDF5 at once:
// the gaps table after chained start commands, and the HDF5 log written back
// out as CSV equal, byte for byte, to the CSV the same run wrote.
#include <gtest/gtest.h>

#include "h5log/H5_log_reader.h"
#include "h5log/H5_log_writer.h"
#include "session/H5_log_file.h"
#include "session/Log_header.h"
#include "session/Log_outputs.h"
#include "tests/session/Long_run_fixture.h"
#include "tests/support/Temp_files.h"

namespace velqoris {
namespace {

class H5LogRunTest : public testing::LongRunTest {
 protected:
  testing::TempDir dir;
};

TEST_F(H5LogRunTest, ChainedStartCommandsFillTheGapsTableAndExportEqualsTheCsv) {
  const struct {
    int chSel;
    int gainSel;
  } cases[] = {{2, 5}, {1, 0}, {0, 3}};
  for (const auto& c : cases) {
    Connect(12, c.chSel, c.gainSel);
    const MeasureSettings& s = held.data.Settings;
    const auto start = std::chrono::system_clock::now();
    const std::string board = "VELQORIS / 1.00";
    const std::string csvPath = dir.Path("run" + std::to_string(c.chSel) + ".csv");
    const std::string h5Path = dir.Path("run" + std::to_string(c.chSel) + ".h5");
    CsvLog csv;
    ASSERT_TRUE(csv.Open(csvPath, s.CHSel != 1, s.CHSel != 0, clock.Now(),
                         LogHeaderLines(s, board, start)));
    h5log::H5LogWriter h5;
    ASSERT_TRUE(h5.Create(h5Path, "test", {H5HeaderOf(s, "V0001", board, start)}));
    LogRun log(run, this->board, s, clock, host, csv);
    LogOutputs outputs(log, clock, 0, &h5, nullptr);
    log.SetBlockListener(
        [&](const std::int32_t* c0, const std::int32_t* c1, int n) { outputs.Take(c0, c1, n); });
    log.SetSegmentLimit(1000);
    ASSERT_EQ(log.Run(3500, {}, {}), LogRun::Outcome::kComplete);
    ASSERT_TRUE(csv.Close());
    ASSERT_TRUE(h5.Close());

    const h5log::H5ReadResult r = h5log::ReadH5Log(h5Path);
    ASSERT_EQ(r.status, h5log::H5ReadStatus::kOk) << r.part;
    const h5log::H5BoardLog& b = r.boards.at(0);
    EXPECT_EQ(b.rows, 3500);
    ASSERT_EQ(b.gaps.size(), 3u);
    for (int k = 0; k < 3; ++k) {
      const h5log::H5Gap& gap = b.gaps[static_cast<std::size_t>(k)];
      EXPECT_EQ(gap.firstSample, 1000 * (k + 1));
      EXPECT_EQ(gap.startCommand, k + 2);
      EXPECT_DOUBLE_EQ(gap.secondsLost, log.Gaps()[static_cast<std::size_t>(k)]);
      EXPECT_GT(gap.startSeconds, (k + 1) * 1000 / 4800.0);
    }
    const std::string exported = dir.Path("export" + std::to_string(c.chSel) + ".csv");
    ASSERT_TRUE(WriteH5LogAsCsv(b, exported));
    EXPECT_EQ(testing::ReadFile(exported), testing::ReadFile(csvPath)) << c.chSel;
    run.ReleaseBoard();
  }
}

}  // namespace
}  // namespace velqoris
