// A log of the virtual board on virtual time written to CSV and HDF5 at once
// through the acquisition core: the gaps table after chained start commands,
// and the HDF5 log written back out as CSV equal, byte for byte, to the CSV
// the same run wrote (but for the start time, taken by each at its own moment).
#include <gtest/gtest.h>

#include <regex>

#include "h5log/H5_log_reader.h"
#include "h5log/H5_log_writer.h"
#include "session/Csv_sink.h"
#include "session/H5_log_file.h"
#include "session/H5_sink.h"
#include "tests/session/Long_run_fixture.h"
#include "tests/support/Temp_files.h"

namespace velqoris {
namespace {

class H5LogRunTest : public testing::LongRunTest {
 protected:
  testing::TempDir dir;
};

// The start time differs; the CSV's last line says how the run ended, which
// an HDF5 log keeps in its committed rows instead.
std::string WithoutStart(const std::string& csv) {
  return std::regex_replace(csv, std::regex("(start|# end): [^\n]*\n"), "");
}

TEST_F(H5LogRunTest, ChainedStartCommandsFillTheGapsTableAndExportEqualsTheCsv) {
  const struct {
    int chSel;
    int gainSel;
  } cases[] = {{2, 5}, {1, 0}, {0, 3}};
  for (const auto& c : cases) {
    Connect(12, c.chSel, c.gainSel);
    const std::string csvPath = dir.Path("run" + std::to_string(c.chSel) + ".csv");
    const std::string h5Path = dir.Path("run" + std::to_string(c.chSel) + ".h5");
    h5log::H5LogWriter h5;
    ASSERT_TRUE(h5.Create(h5Path, "test", {H5HeaderOf(settings, "V0001", "VELQORIS / 1.00", {})}));
    CsvSink csv(csvPath, clock);
    H5Sink h5Sink(h5, 0, h5Path, clock);
    ASSERT_EQ(run.Run({settings, 3500, 1000}, {&csv, &h5Sink}), RunEnd::kComplete);
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
      EXPECT_DOUBLE_EQ(gap.secondsLost, run.Gaps()[static_cast<std::size_t>(k)]);
      EXPECT_GT(gap.startSeconds, (k + 1) * 1000 / 4800.0);
    }
    const std::string exported = dir.Path("export" + std::to_string(c.chSel) + ".csv");
    ASSERT_TRUE(WriteH5LogAsCsv(b, exported));
    EXPECT_EQ(WithoutStart(testing::ReadFile(exported)), WithoutStart(testing::ReadFile(csvPath)))
        << c.chSel;
    run.Release();
  }
}

}  // namespace
}  // namespace velqoris
