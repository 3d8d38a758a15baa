// A writer killed at random moments (fixed seeds) leaves a file that opens,
// with every row up to its last flush and none that is not the data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "h5log/H5_log_reader.h"
#include "h5log/H5_log_writer.h"
#include "tests/support/Temp_files.h"

namespace velqoris::h5log {
namespace {

constexpr int kBlock = 2400;

std::int32_t CodeAt(int channel, std::int64_t i) {
  return static_cast<std::int32_t>(8388608 + channel * 1000 + (i * 7919) % 2001);
}

// The child: writes blocks and flushes, telling the parent each committed count.
[[noreturn]] void WriteUntilKilled(const std::string& path, int pipeOut) {
  H5BoardHeader h;
  h.serial = "K1";
  h.rateSps = 4800;
  h.channel[1] = true;
  H5LogWriter w;
  if (!w.Create(path, "test", {h})) _exit(2);
  std::vector<std::int32_t> codes[2];
  for (std::int64_t i = 0;; i += kBlock) {
    for (int ch = 0; ch < 2; ++ch) {
      codes[ch].resize(kBlock);
      for (int k = 0; k < kBlock; ++k) codes[ch][static_cast<std::size_t>(k)] = CodeAt(ch, i + k);
    }
    if (i % (5 * kBlock) == kBlock) w.Gap(0, {i, static_cast<std::int32_t>(i / kBlock), 0.01, 0});
    w.Append(0, codes[0].data(), codes[1].data(), kBlock);
    if (!w.Flush()) _exit(3);
    const std::int64_t rows = w.Rows(0);
    if (write(pipeOut, &rows, sizeof rows) != sizeof rows) _exit(4);
  }
}

TEST(H5LogKill, EveryRowUpToTheLastFlushReadsBack) {
  testing::TempDir dir;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    const std::string path = dir.Path("kill" + std::to_string(seed) + ".h5");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(fds[0]);
      WriteUntilKilled(path, fds[1]);
    }
    close(fds[1]);
    const int flushes = std::uniform_int_distribution<int>(0, 12)(random);
    std::int64_t committed = 0;
    for (int i = 0; i < flushes; ++i) {
      ASSERT_EQ(read(fds[0], &committed, sizeof committed), sizeof committed) << seed;
    }
    // Somewhere inside the next block's append or flush.
    usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // The last count the writer told before it died.
    for (std::int64_t told = 0; read(fds[0], &told, sizeof told) == sizeof told;) committed = told;
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << seed;

    const H5ReadResult r = ReadH5Log(path);
    if (flushes == 0 && r.status != H5ReadStatus::kOk) continue;  // killed while creating
    ASSERT_EQ(r.status, H5ReadStatus::kOk) << seed << " " << r.part;
    const H5BoardLog& log = r.boards.at(0);
    EXPECT_GE(log.rows, committed) << seed;
    for (int ch = 0; ch < 2; ++ch) {
      ASSERT_EQ(log.record.Count(ch), log.rows) << seed;
      for (std::int64_t i = 0; i < log.rows; ++i) {
        ASSERT_EQ(log.record.codes[ch][static_cast<std::size_t>(i)], CodeAt(ch, i))
            << seed << " ch" << ch << " row " << i;
      }
    }
    for (const H5Gap& gap : log.gaps) EXPECT_EQ(gap.firstSample % (5 * kBlock), kBlock);
  }
}

}  // namespace
}  // namespace velqoris::h5log
